#pragma once

class QLabel;

// While a change waits for the embedded database's file, which another program holds locked,
// the program shows the busy pointer and says so in the given status panel (the first panel of
// the main window's status bar); the panel's text comes back when the wait is over.
namespace LockWaitNotice {

void Install(QLabel* statusPanel);
void Remove();

} // namespace LockWaitNotice
