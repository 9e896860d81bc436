#pragma once

// The run-wide module: the start-up procedure and the state that lives for the whole run.
namespace mdlPharvel {

// The program starts here: login, splash, connection, main window.
void Main();

} // namespace mdlPharvel
