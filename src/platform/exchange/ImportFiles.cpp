#include "platform/exchange/ImportFiles.h"

#include "platform/db/AtcCode.h"
#include "platform/db/TextLimits.h"
#include "platform/exchange/Csv.h"
#include "platform/exchange/ExchangeFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>

namespace ImportFiles {

namespace {

// The rows of one file, each field reached by its column; faults are collected, not thrown.
class FileReader
{
public:
    FileReader(const ExchangeFiles::Kind& kind, QList<Fault>& faults)
        : m_kind(kind), m_faults(faults)
    {}

    // False when the file cannot be read at all; its fault is then noted.
    bool Load(const QString& path);
    const QList<Csv::ReadRecord>& Rows() const { return m_rows; }

    void Note(int line, int column, const QString& text)
    {
        m_faults << Fault{m_kind.fileName, line, column, text};
    }
    // The field of a column as a 16-bit id; 0 and a noted fault when it is not one. An empty
    // field gives 0 without a fault where allowEmpty is set.
    int Id(const Csv::ReadRecord& row, int column, bool allowEmpty = false);
    // The text of a column; a noted fault when it is blank or longer than longest.
    QString Name(const Csv::ReadRecord& row, int column, qsizetype longest = TextLimits::kName);
    // A fault when the text of a column is longer than the limit (0: none).
    void Limit(const Csv::ReadRecord& row, int column, qsizetype limit)
    {
        if (limit > 0 && row.fields.at(column - 1).size() > limit)
            Note(row.line, column,
                 QStringLiteral("the text is longer than %1 characters").arg(limit));
    }
    // A fault when the id was given on an earlier row of the file.
    void RequireFirst(QHash<QString, int>& seen, const QString& id, const Csv::ReadRecord& row,
                      int column);

private:
    const ExchangeFiles::Kind& m_kind;
    QList<Fault>& m_faults;
    QList<Csv::ReadRecord> m_rows;
};

bool FileReader::Load(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        Note(0, 0, QStringLiteral("cannot be read: %1").arg(file.errorString()));
        return false;
    }
    Csv::Reader reader(file, TextLimits::kOtherDetails);
    const auto noteFailure = [&] {
        if (const auto& fault = reader.Failure())
            Note(fault->line, fault->column, fault->text);
        return !reader.Failure();
    };
    const std::optional<Csv::ReadRecord> header = reader.Next();
    if (!header)
        return noteFailure();
    QStringList found;
    for (const QString& name : header->fields)
        found << name.trimmed();
    if (found != m_kind.header) {
        for (qsizetype c = 0; c < std::max(found.size(), m_kind.header.size()); ++c) {
            if (found.value(c) != m_kind.header.value(c)) {
                Note(header->line, static_cast<int>(c) + 1,
                     QStringLiteral("the header does not match: expected \"%1\"")
                         .arg(m_kind.header.join(QLatin1Char(','))));
                break;
            }
        }
        return false;
    }
    qsizetype count = 0;
    while (const std::optional<Csv::ReadRecord> row = reader.Next()) {
        if (++count > ExchangeFiles::kHighestId) {
            Note(row->line, 0,
                 QStringLiteral("more than %1 rows; a catalogue holds at most that many of a kind")
                     .arg(ExchangeFiles::kHighestId));
            return false;
        }
        if (row->fields.size() != m_kind.header.size()) {
            const qsizetype column = std::min(row->fields.size(), m_kind.header.size()) + 1;
            Note(row->line, static_cast<int>(column),
                 row->fields.size() < m_kind.header.size()
                     ? QStringLiteral("the column %1 is missing").arg(m_kind.header.at(column - 1))
                     : QStringLiteral("more fields than the header names"));
            continue;
        }
        m_rows << *row;
    }
    return noteFailure();
}

int FileReader::Id(const Csv::ReadRecord& row, int column, bool allowEmpty)
{
    const QString text = row.fields.at(column - 1).trimmed();
    if (text.isEmpty() && allowEmpty)
        return 0;
    bool ok = false;
    const int value = text.toInt(&ok);
    const QString& name = m_kind.header.at(column - 1);
    if (text.isEmpty())
        Note(row.line, column, QStringLiteral("%1 is empty").arg(name));
    else if (ok && value < 0)
        Note(row.line, column,
             QStringLiteral("%1 %2 must be positive (1 to %3)")
                 .arg(name, text)
                 .arg(ExchangeFiles::kHighestId));
    else if (!ok || std::any_of(text.cbegin(), text.cend(), [](QChar c) { return !c.isDigit(); }))
        Note(row.line, column, QStringLiteral("%1 \"%2\" is not a whole number").arg(name, text));
    else if (value < 1 || value > ExchangeFiles::kHighestId)
        Note(row.line, column,
             QStringLiteral("%1 %2 lies outside 1 to %3")
                 .arg(name, text)
                 .arg(ExchangeFiles::kHighestId));
    else
        return value;
    return 0;
}

QString FileReader::Name(const Csv::ReadRecord& row, int column, qsizetype longest)
{
    const QString& text = row.fields.at(column - 1);
    if (text.trimmed().isEmpty())
        Note(row.line, column, QStringLiteral("the name is blank"));
    else
        Limit(row, column, longest);
    return text;
}

void FileReader::RequireFirst(QHash<QString, int>& seen, const QString& id,
                              const Csv::ReadRecord& row, int column)
{
    if (const auto earlier = seen.constFind(id); earlier != seen.constEnd())
        Note(row.line, column,
             QStringLiteral("%1 is given again (first on line %2)").arg(id).arg(*earlier));
    else
        seen.insert(id, row.line);
}

// A record of Store's table from the file's row: each field the file carries, read and checked
// as its store declares it; the id, in the first column, given on one row of the file only.
template <typename Store>
typename Store::RecordType recordOf(FileReader& reader, const Csv::ReadRecord& row,
                                    QHash<QString, int>& seen)
{
    using Record = typename Store::RecordType;
    Record record{};
    int column = 0;
    for (const RecordField<Record>& field : Store::FileFields()) {
        ++column;
        if (const auto number = std::get_if<int Record::*>(&field.member)) {
            record.** number = reader.Id(row, column);
            if (column == 1)
                reader.RequireFirst(seen, QString::number(record.**number), row, column);
            continue;
        }
        QString& text = record.*std::get<QString Record::*>(field.member);
        if (field.required) {
            text = reader.Name(row, column, field.longest);
            continue;
        }
        text = row.fields.at(column - 1);
        reader.Limit(row, column, field.longest);
    }
    return record;
}

template <typename Row, typename Convert>
std::optional<QList<Row>> readKind(const QDir& folder, const ExchangeFiles::Kind& kind,
                                   QList<Fault>& faults, Convert convert)
{
    const QString path = folder.absoluteFilePath(kind.fileName);
    if (!QFile::exists(path))
        return std::nullopt;
    FileReader reader(kind, faults);
    QList<Row> rows;
    if (reader.Load(path)) {
        QHash<QString, int> seen;
        for (const Csv::ReadRecord& record : reader.Rows())
            rows << convert(reader, record, seen);
    }
    return rows;
}

// The formulary's own checks of a row's fields, each noted at its column.
QDate dateField(FileReader& reader, const Csv::ReadRecord& row, int column)
{
    const QString text = row.fields.at(column - 1).trimmed();
    if (text.isEmpty())
        return {};
    const QDate date = QDate::fromString(text, QStringLiteral("yyyy-MM-dd"));
    if (!date.isValid())
        reader.Note(row.line, column,
                    QStringLiteral("\"%1\" is no date (year-month-day, 2026-03-01)").arg(text));
    return date;
}

// A text of the formulary: an empty one is none.
QString textField(FileReader& reader, const Csv::ReadRecord& row, int column, qsizetype longest)
{
    reader.Limit(row, column, longest);
    const QString& text = row.fields.at(column - 1);
    return text.isEmpty() ? QString() : text;
}

ImportFiles::FormularyRow formularyRow(FileReader& reader, const Csv::ReadRecord& row,
                                       QHash<QString, int>& seen)
{
    FormularyRecord decision{reader.Id(row, 1)};
    reader.RequireFirst(seen, QString::number(decision.generic), row, 1);
    decision.status = row.fields.at(1).trimmed();
    if (!FormularyStatus::IsValid(decision.status))
        reader.Note(row.line, 2,
                    QStringLiteral("status \"%1\" is none of Y, N, R, G (or empty: not yet "
                                   "decided)")
                        .arg(decision.status));
    decision.restriction = textField(reader, row, 3, TextLimits::kRestriction);
    if (FormularyStatus::NeedsText(decision.status) && decision.restriction.trimmed().isEmpty())
        reader.Note(row.line, 3,
                    QStringLiteral("status %1 needs its restriction or guidelines text")
                        .arg(decision.status));
    decision.decidedOn = dateField(reader, row, 4);
    decision.decisionRef = textField(reader, row, 5, TextLimits::kDecisionRef);
    decision.reviewOn = dateField(reader, row, 6);
    decision.ven = row.fields.at(6).trimmed();
    if (!VenCategory::IsValid(decision.ven))
        reader.Note(
            row.line, 7,
            QStringLiteral("VEN category \"%1\" is none of V, E, N (or empty)").arg(decision.ven));
    return {row.line, decision};
}

ImportFiles::CodeRow codeRow(FileReader& reader, const Csv::ReadRecord& row,
                             QHash<QString, int>& seen)
{
    const int generic = reader.Id(row, 1);
    const ReferenceCode code{row.fields.at(1).trimmed(), row.fields.at(2).trimmed()};
    if (code.system.isEmpty())
        reader.Note(row.line, 2, QStringLiteral("the code system is blank"));
    else
        reader.Limit(row, 2, TextLimits::kCodeSystem);
    if (code.code.isEmpty())
        reader.Note(row.line, 3, QStringLiteral("the code is blank"));
    else if (code.system == AtcCode::kSystem && !AtcCode::IsWellFormed(code.code))
        reader.Note(row.line, 3, AtcCode::Problem(code.code));
    else
        reader.Limit(row, 3, TextLimits::kCode);
    reader.RequireFirst(seen, QStringLiteral("%1 %2 %3").arg(generic).arg(code.system, code.code),
                        row, 3);
    return {row.line, generic, code};
}

ImportFiles::AlternativeRow alternativeRow(FileReader& reader, const Csv::ReadRecord& row,
                                           QHash<QString, int>& seen)
{
    const int generic = reader.Id(row, 1);
    const Alternative alternative{reader.Id(row, 2), row.fields.at(2).trimmed(),
                                  textField(reader, row, 4, TextLimits::kNote)};
    if (alternative.generic != 0 && alternative.generic == generic)
        reader.Note(row.line, 2,
                    QStringLiteral("generic name %1 cannot be its own alternative").arg(generic));
    reader.RequireFirst(seen, QStringLiteral("%1 %2").arg(generic).arg(alternative.generic), row,
                        2);
    if (!AlternativeKind::IsValid(alternative.kind))
        reader.Note(row.line, 3,
                    QStringLiteral("kind \"%1\" is neither P (preferred alternative) nor T "
                                   "(therapeutic equivalent)")
                        .arg(alternative.kind));
    return {row.line, generic, alternative};
}

} // namespace

QString Fault::Describe() const
{
    QString where = file;
    if (line > 0)
        where += QStringLiteral(", line %1").arg(line);
    if (column > 0)
        where += QStringLiteral(", column %1").arg(column);
    return where + QStringLiteral(": ") + text;
}

Content Read(const QString& folderPath)
{
    Content content;
    const QDir folder(folderPath);
    if (!folder.exists()) {
        content.faults << Fault{folderPath, 0, 0, QStringLiteral("there is no such folder")};
        return content;
    }
    content.classifications = readKind<ClassificationRow>(
        folder, ExchangeFiles::Classifications(), content.faults,
        [](FileReader& reader, const Csv::ReadRecord& record, QHash<QString, int>& seen) {
            const ClassificationRecord classification =
                recordOf<ClassificationStore>(reader, record, seen);
            return ClassificationRow{
                record.line, classification,
                reader.Id(record, static_cast<int>(record.fields.size()), true)};
        });
    content.generics = readKind<GenericRow>(
        folder, ExchangeFiles::GenericNames(), content.faults,
        [](FileReader& reader, const Csv::ReadRecord& record, QHash<QString, int>& seen) {
            return GenericRow{record.line, recordOf<GenericStore>(reader, record, seen)};
        });
    content.drugs = readKind<DrugRow>(
        folder, ExchangeFiles::Drugs(), content.faults,
        [](FileReader& reader, const Csv::ReadRecord& record, QHash<QString, int>& seen) {
            DrugRow row{record.line, reader.Id(record, 1), {}};
            reader.RequireFirst(seen, QString::number(row.id), record, 1);
            reader.Name(record, 2);
            for (size_t f = 0; f < row.fields.size(); ++f) {
                const int column = static_cast<int>(f) + 2;
                row.fields[f] = record.fields.at(column - 1);
                if (f > 0)
                    reader.Limit(record, column, TextLimits::kDrugField);
            }
            // A drug always has a description, if an empty one.
            if (row.fields[1].isNull())
                row.fields[1] = QStringLiteral("");
            return row;
        });
    content.filing = readKind<FilingRow>(
        folder, ExchangeFiles::Filing(), content.faults,
        [](FileReader& reader, const Csv::ReadRecord& record, QHash<QString, int>& seen) {
            const QString entry = record.fields.at(0).trimmed();
            const bool isDrug = entry == ExchangeFiles::kDrugEntry;
            if (!isDrug && entry != ExchangeFiles::kGenericEntry)
                reader.Note(
                    record.line, 1,
                    QStringLiteral("entry \"%1\" is neither \"%2\" nor \"%3\"")
                        .arg(entry, ExchangeFiles::kGenericEntry, ExchangeFiles::kDrugEntry));
            const FilingRow row{record.line, isDrug, reader.Id(record, 2), reader.Id(record, 3)};
            reader.RequireFirst(seen, entry + QLatin1Char(' ') + QString::number(row.id), record,
                                2);
            return row;
        });
    content.otherDetails = readKind<DetailsRow>(
        folder, ExchangeFiles::OtherDetails(), content.faults,
        [](FileReader& reader, const Csv::ReadRecord& record, QHash<QString, int>& seen) {
            const int code = reader.Id(record, 1);
            reader.RequireFirst(seen, QString::number(code), record, 1);
            return DetailsRow{record.line, code, record.fields.at(1)};
        });
    content.formulary =
        readKind<FormularyRow>(folder, ExchangeFiles::Formulary(), content.faults, formularyRow);
    content.codes =
        readKind<CodeRow>(folder, ExchangeFiles::ReferenceCodes(), content.faults, codeRow);
    content.alternatives = readKind<AlternativeRow>(folder, ExchangeFiles::Alternatives(),
                                                    content.faults, alternativeRow);
    const bool none = !content.classifications && !content.generics && !content.drugs &&
                      !content.filing && !content.otherDetails && !content.formulary &&
                      !content.codes && !content.alternatives;
    if (none)
        content.faults << Fault{folderPath, 0, 0,
                                QStringLiteral("holds none of the catalogue files")};
    return content;
}

QList<Csv::ReadRecord> ReadRows(const QString& path, const ExchangeFiles::Kind& kind,
                                QList<Fault>& faults)
{
    const ExchangeFiles::Kind named{QFileInfo(path).fileName(), kind.header};
    FileReader reader(named, faults);
    return reader.Load(path) ? reader.Rows() : QList<Csv::ReadRecord>();
}

} // namespace ImportFiles
