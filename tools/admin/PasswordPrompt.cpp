#include "PasswordPrompt.h"

#include <cstdio>
#include <iostream>
#include <string>
#include <termios.h>
#include <unistd.h>

QString ReadPassword(const QString& prompt)
{
    std::string line;
    if (isatty(STDIN_FILENO)) {
        std::cerr << prompt.toStdString() << std::flush;
        termios saved{};
        tcgetattr(STDIN_FILENO, &saved);
        termios quiet = saved;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        tcsetattr(STDIN_FILENO, TCSANOW, &quiet);
        std::getline(std::cin, line);
        tcsetattr(STDIN_FILENO, TCSANOW, &saved);
        std::cerr << '\n';
    } else {
        std::getline(std::cin, line);
    }
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return QString::fromStdString(line);
}
