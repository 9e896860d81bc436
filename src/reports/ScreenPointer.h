#pragma once

// The application-wide mouse pointer as one setting, busy or normal, the way the report commands
// and the report viewer set it: the viewer's load shows the normal pointer again although the
// command that opened it showed the busy one, and a normal pointer stays normal however often
// the busy one was asked for before.
namespace ScreenPointer {

void SetBusy();
void SetNormal();
bool IsBusy();

} // namespace ScreenPointer
