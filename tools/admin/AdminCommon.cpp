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

namespace {
std::unique_ptr<SQLConnection> requireUpgraded(std::unique_ptr<SQLConnection> connection,
                                               const QString& server)
{
    if (Schema::CurrentVersion(*connection) < Schema::LatestVersion(*connection))
        throw UsageError{QStringLiteral("the database is not created or not upgraded: run "
                                        "'pharvel-admin create %1' first")
                             .arg(server)};
    Schema::RequireLatest(*connection, QStringLiteral("pharvel-admin"));
    return connection;
}
} // namespace

std::unique_ptr<SQLConnection> openExisting(const QString& server)
{
    return requireUpgraded(SQLConnection::Open(server), server);
}

std::unique_ptr<SQLConnection> openForReading(const QString& server)
{
    return requireUpgraded(SQLConnection::OpenReadOnly(server), server);
}
