#pragma once

#include <QString>

// The program's manual page, where the package has installed it beside the program: the program
// lives in lib/pharvel/ and its page in share/man/man1/ of the same prefix. A program run from
// its build folder has none.
namespace ManualPage {

// The installed page's file, or empty when there is none.
QString InstalledFile();

// Shows the page in the desktop's help viewer ("man:pharvel(1)"); false when the desktop has
// none for manual pages.
bool Open();

} // namespace ManualPage
