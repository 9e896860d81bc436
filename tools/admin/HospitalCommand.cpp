#include "HospitalCommand.h"

#include "AdminCommon.h"
#include "platform/db/HospitalStore.h"
#include "platform/db/ScopedTransaction.h"
#include "platform/exchange/FhirNames.h"

namespace HospitalCommand {

namespace {
const QString kClient = QStringLiteral("client");
const QString kCompany = QStringLiteral("company");
const QString kAddress = QStringLiteral("address");
const QString kFhirBase = QStringLiteral("fhir-base");

void show(const std::optional<HospitalRecord>& hospital)
{
    if (hospital)
        out(QStringLiteral("client: %1\ncompany: %2\naddress: %3")
                .arg(hospital->clientName, hospital->company, hospital->address));
    else
        out(QStringLiteral("no hospital header is set"));
    out(QStringLiteral("FHIR base: %1%2")
            .arg(FhirNames::Base(hospital),
                 hospital && !hospital->fhirBase.isEmpty()
                     ? QString()
                     : QStringLiteral(" (derived from the hospital's name; set the hospital's "
                                      "own with --fhir-base)")));
}
} // namespace

QList<QCommandLineOption> Options()
{
    QList<QCommandLineOption> options;
    for (const auto& [name, value] : {std::pair{kClient, "NAME"}, std::pair{kCompany, "NAME"},
                                      std::pair{kAddress, "LINE"}, std::pair{kFhirBase, "URL"}})
        options << QCommandLineOption(name, QString(), QString::fromLatin1(value));
    return options;
}

void Run(SQLConnection& connection, const QCommandLineParser& parser)
{
    const int headerParts =
        int(parser.isSet(kClient)) + int(parser.isSet(kCompany)) + int(parser.isSet(kAddress));
    if (headerParts != 0 && headerParts != 3)
        throw UsageError{QStringLiteral("hospital needs --client, --company and --address "
                                        "together")};
    if (headerParts == 0 && !parser.isSet(kFhirBase)) {
        show(HospitalStore::Read(connection));
        return;
    }
    // An empty --fhir-base goes back to the base derived from the hospital's name.
    const QString base = parser.value(kFhirBase).trimmed().isEmpty()
                             ? QString()
                             : FhirNames::CheckedBase(parser.value(kFhirBase));
    ScopedTransaction transaction(connection);
    HospitalRecord hospital = HospitalStore::Read(connection).value_or(HospitalRecord{});
    if (headerParts == 3) {
        hospital.clientName = parser.value(kClient);
        hospital.company = parser.value(kCompany);
        hospital.address = parser.value(kAddress);
    }
    if (parser.isSet(kFhirBase))
        hospital.fhirBase = base;
    HospitalStore::Replace(connection, hospital);
    transaction.Commit();
    show(hospital);
}

} // namespace HospitalCommand
