#pragma once

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QList>

class SQLConnection;

// pharvel-admin hospital: the hospital's header the reports print, and the base URL of the
// hospital's names in the FHIR export. Without options it says both.
namespace HospitalCommand {

QList<QCommandLineOption> Options();
// Raises UsageError for a header given in part, PharvelError for a base that is no URL.
void Run(SQLConnection& connection, const QCommandLineParser& parser);

} // namespace HospitalCommand
