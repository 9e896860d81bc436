#include "AdminCommon.h"

#include "platform/db/Schema.h"

#include <iostream>

void out(const QString& text)
{
    std::cout << text.toStdString() << '\n';
}

void err(const QString& text)
{
    std::cerr << text.toStdString() << '\n';
}

void requireArguments(const QStringList& arguments, qsizetype count)
{
    if (arguments.size() != count)
        throw UsageError{QStringLiteral("wrong number of arguments")};
}

std::unique_ptr<SQLConnection> openExisting(const QString& server)
{
    auto connection = SQLConnection::Open(server);
    if (Schema::CurrentVersion(*connection) < Schema::LatestVersion(*connection))
        throw UsageError{QStringLiteral("the database is not created or not upgraded: run "
                                        "'pharvel-admin create %1' first")
                             .arg(server)};
    return connection;
}
