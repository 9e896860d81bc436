#pragma once

#include <optional>

// The state of the keyboard's lock keys as the display server keeps it, for the status bar's
// key panels. Empty when the display cannot say (no X server, as under the offscreen platform).
namespace LockKeyState {

std::optional<bool> CapsLock();
std::optional<bool> NumLock();

} // namespace LockKeyState
