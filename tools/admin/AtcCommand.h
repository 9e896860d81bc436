#pragma once

#include <QString>

class SQLConnection;

// "pharvel-admin atc import <server> <file>": loads the hospital's ATC/DDD index in place of
// the previous one and prints which codes are gone or renamed and which generic names use them.
namespace AtcCommand {

// The exit status: 0 loaded, 1 refused (the file's faults are printed; nothing was written).
int Import(SQLConnection& connection, const QString& file);

} // namespace AtcCommand
