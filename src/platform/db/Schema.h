#pragma once

#include <QString>
#include <QStringList>

class SQLConnection;

// The versioned migrations that create and upgrade the catalogue's schemas. Each is a numbered
// SQL file kept as a resource, one set per engine; a database records the versions it holds.
namespace Schema {

// The migrations of the connection's engine, in order: (version, resource path).
struct Migration
{
    int version;
    QString path;
};
QList<Migration> Migrations(const SQLConnection& connection);

// The statements of one migration file, in order.
QStringList Statements(const QString& path);

// The highest version the database holds; 0 for an empty database.
int CurrentVersion(SQLConnection& connection);

// The version the program expects.
int LatestVersion(const SQLConnection& connection);

// Refuses a database of another version than the program's, saying what to do: an older one is
// upgraded with `pharvel-admin create`, a newer one needs the program of its version.
void RequireLatest(SQLConnection& connection, const QString& source);

// Applies every missing migration, each in its own transaction. Returns the versions applied.
QList<int> Migrate(SQLConnection& connection);

} // namespace Schema
