#pragma once

#include "platform/db/SQLConnection.h"

#include <QString>
#include <QStringList>
#include <memory>

// What the administrator's commands share: how they say things, how they refuse a wrong command
// line, and how they open a database that must already be there.

// A command line the tool cannot run: said with the usage text, exit status 2.
struct UsageError
{
    QString text;
};

void out(const QString& text);
void err(const QString& text);
void requireArguments(const QStringList& arguments, qsizetype count);

// A database that is created and upgraded; a UsageError otherwise.
std::unique_ptr<SQLConnection> openExisting(const QString& server);
// The same, for commands that only read: a copy the user may only read serves as well.
std::unique_ptr<SQLConnection> openForReading(const QString& server);
