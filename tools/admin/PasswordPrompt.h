#pragma once

#include <QString>

// Reads a password for the administrator's tool: from the terminal without echo, or the first
// line of standard input when that is not a terminal. Never from the command line, where other
// users of the machine could read it.
QString ReadPassword(const QString& prompt);
