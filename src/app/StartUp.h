#pragma once

namespace mdlPharvel {

// The program starts here: login, splash, connection, main window. On any failure it returns
// with no window left and both components released.
void Main();

} // namespace mdlPharvel
