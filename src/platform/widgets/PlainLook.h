#pragma once

// The application's look: the platform's style, with dialog buttons that show their text alone,
// no pictures beside "OK", "Yes" or "No" whatever the desktop's theme offers.
namespace PlainLook {

// Installs the look for the whole application; a second call changes nothing.
void Apply();

} // namespace PlainLook
