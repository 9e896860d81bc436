#pragma once

#include "platform/db/FormularyRecord.h"
#include "platform/exchange/CatalogueState.h"
#include "platform/exchange/Csv.h"
#include "platform/exchange/ExchangeFiles.h"

#include <QList>
#include <QString>
#include <optional>

// The exchange files found in a folder, read and checked row by row: the header, the number of
// fields, ids within 16 bits, names that are not blank, no id given twice in one file, the
// formulary's letters, dates, texts and ATC codes. What a
// row refers to in other files or in the database is checked by the import plan.
namespace ImportFiles {

// A bad row, or a file that cannot be read (line 0) or is bad as a whole (column 0).
struct Fault
{
    QString file;
    int line = 0;
    int column = 0;
    QString text;

    QString Describe() const;
};

struct ClassificationRow
{
    int line;
    ClassificationRecord record;
    int parent; // 0: at the top
};
struct GenericRow
{
    int line;
    GenericRecord record;
};
struct DrugRow
{
    int line;
    int id;
    CatalogueState::DrugFields fields;
};
struct FilingRow
{
    int line;
    bool isDrug;
    int id;
    int under;
};
struct DetailsRow
{
    int line;
    int code;
    QString text;
};

// The formulary's rows: a generic name's decision (generic set, no codes, no alternatives), one
// of its codes, one of its alternatives; codes and alternatives in the file's order.
struct FormularyRow
{
    int line;
    FormularyRecord decision;
};
struct CodeRow
{
    int line;
    int generic;
    ReferenceCode code;
};
struct AlternativeRow
{
    int line;
    int generic;
    Alternative alternative;
};

// A file that is missing from the folder is left empty (std::nullopt).
struct Content
{
    std::optional<QList<ClassificationRow>> classifications;
    std::optional<QList<GenericRow>> generics;
    std::optional<QList<DrugRow>> drugs;
    std::optional<QList<FilingRow>> filing;
    std::optional<QList<DetailsRow>> otherDetails;
    std::optional<QList<FormularyRow>> formulary;
    std::optional<QList<CodeRow>> codes;
    std::optional<QList<AlternativeRow>> alternatives;
    QList<Fault> faults;
};

Content Read(const QString& folder);

// The rows of one file of kind at path (not the header), its header and every row's length
// checked, faults noted under the file's own name. Empty when the file cannot be read whole.
QList<Csv::ReadRecord> ReadRows(const QString& path, const ExchangeFiles::Kind& kind,
                                QList<Fault>& faults);

} // namespace ImportFiles
