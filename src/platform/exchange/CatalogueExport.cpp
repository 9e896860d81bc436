#include "platform/exchange/CatalogueExport.h"

#include "platform/db/PharvelError.h"
#include "platform/exchange/CatalogueState.h"
#include "platform/exchange/Csv.h"
#include "platform/exchange/ExchangeFiles.h"

#include <QDir>
#include <QSaveFile>

namespace CatalogueExport {

namespace {
const QString kSource = QStringLiteral("CatalogueExport.Write");

void save(const QDir& folder, const ExchangeFiles::Kind& kind, const QList<QStringList>& records)
{
    // A file is replaced only once it is written whole.
    QSaveFile file(folder.absoluteFilePath(kind.fileName));
    if (!file.open(QIODevice::WriteOnly) || file.write(Csv::File(kind.header, records)) < 0 ||
        !file.commit())
        throw PharvelError(
            ErrorNumber::DatabaseError,
            QStringLiteral("%1 cannot be written: %2").arg(file.fileName(), file.errorString()),
            kSource);
}

QString number(int value)
{
    return QString::number(value);
}
QString date(const QDate& value)
{
    return value.isNull() ? QString() : value.toString(Qt::ISODate);
}

// A text that is empty is "none" in the formulary, so the file leaves its field empty.
QString noneIfEmpty(const QString& text)
{
    return text.isEmpty() ? QString() : text;
}

void writeFormulary(const QDir& folder, const CatalogueState& state)
{
    QList<QStringList> decisions;
    QList<QStringList> codes;
    QList<QStringList> alternatives;
    for (const FormularyRecord& record : state.formulary) {
        if (record.HasDecision())
            decisions << QStringList{number(record.generic),          noneIfEmpty(record.status),
                                     noneIfEmpty(record.restriction), date(record.decidedOn),
                                     noneIfEmpty(record.decisionRef), date(record.reviewOn),
                                     noneIfEmpty(record.ven)};
        for (const ReferenceCode& code : record.codes)
            codes << QStringList{number(record.generic), code.system, code.code};
        for (const Alternative& alternative : record.alternatives)
            alternatives << QStringList{number(record.generic), number(alternative.generic),
                                        alternative.kind, noneIfEmpty(alternative.note)};
    }
    save(folder, ExchangeFiles::Formulary(), decisions);
    save(folder, ExchangeFiles::ReferenceCodes(), codes);
    save(folder, ExchangeFiles::Alternatives(), alternatives);
}
} // namespace

void Write(SQLConnection& connection, const QString& folderPath)
{
    const QDir folder(folderPath);
    if (!folder.exists() && !QDir().mkpath(folder.absolutePath()))
        throw PharvelError(ErrorNumber::DatabaseError,
                           QStringLiteral("The folder %1 cannot be made.").arg(folderPath),
                           kSource);
    const CatalogueState state = CatalogueState::Read(connection);
    const CatalogueFiling filing = CatalogueFiling::Of(state);

    QList<QStringList> records;
    for (const ClassificationRecord& classification : state.classifications) {
        const int parent = filing.classificationParent.value(classification.id, 0);
        records << (ClassificationStore::FileTexts(classification)
                    << (parent == 0 ? QString() : number(parent)));
    }
    save(folder, ExchangeFiles::Classifications(), records);

    records.clear();
    for (const GenericRecord& generic : state.generics)
        records << GenericStore::FileTexts(generic);
    save(folder, ExchangeFiles::GenericNames(), records);

    records.clear();
    for (const DrugRecord& drug : state.drugs) {
        QStringList record{number(drug.id)};
        for (const QString& field : drug.fields)
            record << field;
        records << record;
    }
    save(folder, ExchangeFiles::Drugs(), records);

    records.clear();
    for (auto it = filing.genericUnder.cbegin(); it != filing.genericUnder.cend(); ++it)
        records << QStringList{ExchangeFiles::kGenericEntry, number(it.key()), number(it.value())};
    for (auto it = filing.drugUnder.cbegin(); it != filing.drugUnder.cend(); ++it)
        records << QStringList{ExchangeFiles::kDrugEntry, number(it.key()), number(it.value())};
    save(folder, ExchangeFiles::Filing(), records);

    records.clear();
    for (auto it = state.otherDetails.cbegin(); it != state.otherDetails.cend(); ++it)
        records << QStringList{number(it.key()), it.value()};
    save(folder, ExchangeFiles::OtherDetails(), records);
    writeFormulary(folder, state);
}

} // namespace CatalogueExport
