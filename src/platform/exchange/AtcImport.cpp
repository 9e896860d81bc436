#include "platform/exchange/AtcImport.h"

#include "platform/db/AtcCode.h"
#include "platform/db/AtcIndexStore.h"
#include "platform/db/GenericStore.h"
#include "platform/db/ReferenceCodeStore.h"
#include "platform/db/SQLConnection.h"
#include "platform/db/ScopedTransaction.h"

#include <QFileInfo>
#include <QHash>
#include <QMap>

namespace AtcImport {

namespace {
QList<AtcIndexEntry> readEntries(const QString& file, QList<ImportFiles::Fault>& faults)
{
    const QString name = QFileInfo(file).fileName();
    QList<AtcIndexEntry> entries;
    QHash<QString, int> seen;
    for (const Csv::ReadRecord& row :
         ImportFiles::ReadRows(file, ExchangeFiles::AtcIndex(), faults)) {
        const QStringList& f = row.fields;
        const AtcIndexEntry entry{f.at(0).trimmed(), f.at(1).trimmed(), f.at(2).trimmed(),
                                  f.at(3).trimmed(), f.at(4).trimmed(), f.at(5)};
        if (const QString problem = AtcCode::Problem(entry.code); !problem.isEmpty())
            faults << ImportFiles::Fault{name, row.line, 1, problem};
        else if (const auto first = seen.constFind(entry.code); first != seen.constEnd())
            faults << ImportFiles::Fault{
                name, row.line, 1,
                QStringLiteral("%1 is given again (first on line %2)").arg(entry.code).arg(*first)};
        seen.insert(entry.code, row.line);
        if (entry.name.isEmpty())
            faults << ImportFiles::Fault{name, row.line, 2, QStringLiteral("the name is blank")};
        entries << entry;
    }
    return entries;
}

// The generic names that carry each ATC code, by name.
QHash<QString, QStringList> carriers(SQLConnection& connection)
{
    const QMap<int, GenericRecord> generics = GenericStore::All(connection);
    QHash<QString, QStringList> byCode;
    const auto all = ReferenceCodeStore::All(connection);
    for (auto it = all.cbegin(); it != all.cend(); ++it)
        for (const ReferenceCode& code : it.value())
            if (code.system == AtcCode::kSystem)
                byCode[code.code] << generics.value(it.key()).name;
    for (QStringList& names : byCode)
        names.sort(Qt::CaseInsensitive);
    return byCode;
}
} // namespace

Result Run(SQLConnection& connection, const QString& file)
{
    Result result;
    const QList<AtcIndexEntry> entries = readEntries(file, result.faults);
    if (!result.faults.isEmpty())
        return result;
    ScopedTransaction transaction(connection);
    QHash<QString, QString> newNames;
    for (const AtcIndexEntry& entry : entries)
        newNames.insert(entry.code, entry.name);
    const QHash<QString, QStringList> carrying = carriers(connection);
    for (const AtcIndexEntry& old : AtcIndexStore::All(connection)) {
        const auto now = newNames.constFind(old.code);
        if (now != newNames.constEnd() && *now == old.name)
            continue;
        Difference difference{old.code, old.name, now == newNames.constEnd() ? QString() : *now,
                              carrying.value(old.code)};
        (difference.newName.isEmpty() ? result.gone : result.renamed) << difference;
    }
    AtcIndexStore::Replace(connection, entries);
    transaction.Commit();
    result.entries = static_cast<int>(entries.size());
    return result;
}

} // namespace AtcImport
