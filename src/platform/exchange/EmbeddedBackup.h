#pragma once

#include <QString>

// A backup of the embedded database: both of its files in one archive of our own (see
// docs/catalogue-files.md). Raises PharvelError; PostgreSQL's own dump and restore serve a server.
namespace EmbeddedBackup {

// Copies each database file as one consistent snapshot (SQLite's VACUUM INTO, which reads under
// the write-ahead log and so holds no lock that stops the pharmacists' changes) and writes the
// archive; the file appears only once it is whole.
void Backup(const QString& connectionString, const QString& archivePath);

// Replaces the database with the archive's files, whole. Refuses a file that is not a Pharvel
// backup or is damaged (a checksum that does not match, a database that fails its integrity
// check), and a database that a desktop still has open; the database is then left as it was.
void Restore(const QString& connectionString, const QString& archivePath);

} // namespace EmbeddedBackup
