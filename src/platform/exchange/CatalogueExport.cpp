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
    for (auto it = state.classifications.cbegin(); it != state.classifications.cend(); ++it) {
        const int parent = filing.classificationParent.value(it.key(), 0);
        records << QStringList{number(it.key()), it.value(),
                               parent == 0 ? QString() : number(parent)};
    }
    save(folder, ExchangeFiles::Classifications(), records);

    records.clear();
    for (auto it = state.generics.cbegin(); it != state.generics.cend(); ++it)
        records << QStringList{number(it.key()), it.value()};
    save(folder, ExchangeFiles::GenericNames(), records);

    records.clear();
    for (auto it = state.drugs.cbegin(); it != state.drugs.cend(); ++it) {
        QStringList record{number(it.key())};
        for (const QString& field : it.value())
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
}

} // namespace CatalogueExport
