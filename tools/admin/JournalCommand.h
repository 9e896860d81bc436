#pragma once

#include <QString>

class QCommandLineParser;
class SQLConnection;

// "pharvel-admin journal": lists the catalogue's change journal (--since, --until, --user,
// --entry; --csv for a spreadsheet), or prunes the rows older than --before.
namespace JournalCommand {

// A wrong option; the tool prints the text with its usage.
struct BadOption
{
    QString text;
};

void List(SQLConnection& connection, const QCommandLineParser& parser);
void Prune(SQLConnection& connection, const QCommandLineParser& parser);

} // namespace JournalCommand
