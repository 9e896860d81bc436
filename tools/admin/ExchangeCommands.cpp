#include "ExchangeCommands.h"

#include "AdminCommon.h"
#include "platform/db/CatalogueTypes.h"
#include "platform/db/PharvelError.h"
#include "platform/exchange/CatalogueCheck.h"
#include "platform/exchange/CatalogueExport.h"
#include "platform/exchange/CatalogueImport.h"
#include "platform/exchange/EmbeddedBackup.h"
#include "platform/exchange/FhirExport.h"
#include "platform/exchange/GenericMerge.h"

#include <iostream>

namespace ExchangeCommands {

namespace {
const QString kDryRun = QStringLiteral("dry-run");
const QString kPrune = QStringLiteral("prune");
const QString kCsv = QStringLiteral("csv");
const QString kFhir = QStringLiteral("fhir");
const QString kNdjson = QStringLiteral("ndjson");

int code(const QString& text)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok || value < 1 || value > kHighestId)
        throw UsageError{QStringLiteral("\"%1\" is not a generic code (a number from 1 to %2)")
                             .arg(text)
                             .arg(kHighestId)};
    return value;
}

int importCommand(const QCommandLineParser& parser, const QString& server, const QString& folder)
{
    const bool dryRun = parser.isSet(kDryRun);
    const CatalogueImport::Result result =
        CatalogueImport::Run(*openExisting(server), folder, dryRun, parser.isSet(kPrune));
    if (!result.faults.isEmpty()) {
        for (const ImportFiles::Fault& fault : result.faults)
            err(fault.Describe());
        err((result.faults.size() == 1 ? QStringLiteral("1 bad row")
                                       : QStringLiteral("%1 bad rows").arg(result.faults.size())) +
            QStringLiteral("; nothing was written"));
        return 1;
    }
    for (const QString& line : result.summary)
        out(line);
    out(dryRun ? QStringLiteral("dry run: nothing was written")
               : QStringLiteral("imported in one transaction"));
    return 0;
}

// The catalogue files to a folder, and/or the FHIR bundle and NDJSON files, from one server.
int exportCommand(const QCommandLineParser& parser, const QStringList& arguments)
{
    const bool fhir = parser.isSet(kFhir) || parser.isSet(kNdjson);
    if (arguments.size() != 3 && !(fhir && arguments.size() == 2))
        throw UsageError{QStringLiteral("export takes a server and a folder, --fhir FILE or "
                                        "--ndjson FOLDER")};
    auto connection = openForReading(arguments.at(1));
    if (arguments.size() == 3) {
        CatalogueExport::Write(*connection, arguments.at(2));
        out(QStringLiteral("catalogue exported to %1").arg(arguments.at(2)));
    }
    if (fhir) {
        FhirExport::Write(*connection, {parser.value(kFhir), parser.value(kNdjson)});
        for (const QString& option : {kFhir, kNdjson})
            if (parser.isSet(option))
                out(QStringLiteral("FHIR R4 written to %1").arg(parser.value(option)));
    }
    return 0;
}

int mergeCommand(const QString& server, int keep, int drop)
{
    const GenericMerge::Result result = GenericMerge::Merge(*openExisting(server), keep, drop);
    out(QStringLiteral("generic name %1 \"%2\" merged into %3 \"%4\": %5 drugs moved")
            .arg(drop)
            .arg(result.dropName)
            .arg(keep)
            .arg(result.keepName)
            .arg(result.drugsMoved));
    return 0;
}
} // namespace

QList<QCommandLineOption> Options()
{
    // --csv is the journal listing's option too, and added with it.
    return {QCommandLineOption(kDryRun), QCommandLineOption(kPrune),
            QCommandLineOption(kFhir, QString(), QStringLiteral("FILE")),
            QCommandLineOption(kNdjson, QString(), QStringLiteral("FOLDER"))};
}

bool Handles(const QString& command)
{
    static const QStringList commands{QStringLiteral("export"), QStringLiteral("import"),
                                      QStringLiteral("check"),  QStringLiteral("merge-generics"),
                                      QStringLiteral("backup"), QStringLiteral("restore")};
    return commands.contains(command);
}

int Run(const QCommandLineParser& parser, const QStringList& arguments)
{
    const QString& command = arguments.first();
    if (command == QLatin1String("check")) {
        requireArguments(arguments, 2);
        const CatalogueCheck::Report report = CatalogueCheck::Run(*openForReading(arguments.at(1)));
        if (parser.isSet(kCsv))
            std::cout << report.Csv().toStdString();
        else
            std::cout << report.Text().toStdString();
        return report.RulesKept() ? 0 : 1;
    }
    if (command == QLatin1String("merge-generics")) {
        requireArguments(arguments, 4);
        return mergeCommand(arguments.at(1), code(arguments.at(2)), code(arguments.at(3)));
    }
    if (command == QLatin1String("export"))
        return exportCommand(parser, arguments);
    requireArguments(arguments, 3);
    const QString& server = arguments.at(1);
    const QString& path = arguments.at(2);
    if (command == QLatin1String("import"))
        return importCommand(parser, server, path);
    if (command == QLatin1String("backup")) {
        EmbeddedBackup::Backup(server, path);
        out(QStringLiteral("backup written to %1").arg(path));
    } else {
        EmbeddedBackup::Restore(server, path);
        out(QStringLiteral("database %1 restored from %2").arg(server, path));
    }
    return 0;
}

} // namespace ExchangeCommands
