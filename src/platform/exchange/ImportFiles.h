#pragma once

#include "platform/exchange/CatalogueState.h"

#include <QList>
#include <QString>
#include <optional>

// The exchange files found in a folder, read and checked row by row: the header, the number of
// fields, ids within 16 bits, names that are not blank, no id given twice in one file. What a
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
    int id;
    QString name;
    int parent; // 0: at the top
};
struct GenericRow
{
    int line;
    int code;
    QString name;
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

// A file that is missing from the folder is left empty (std::nullopt).
struct Content
{
    std::optional<QList<ClassificationRow>> classifications;
    std::optional<QList<GenericRow>> generics;
    std::optional<QList<DrugRow>> drugs;
    std::optional<QList<FilingRow>> filing;
    std::optional<QList<DetailsRow>> otherDetails;
    QList<Fault> faults;
};

Content Read(const QString& folder);

} // namespace ImportFiles
