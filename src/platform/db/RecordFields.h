#pragma once

#include "platform/db/RecordRows.h"
#include "platform/db/StoredText.h"
#include "platform/db/TextLimits.h"

#include <variant>

// One column of a store's table: its name there, the member of the record that holds it, and
// how the catalogue file carries it. fileColumn is the file's name for it (empty: the file
// leaves it out); the import refuses a text longer than longest (0: no limit of its own) and,
// where required, a blank one. A whole number is read from the file as a 16-bit id.
template <typename Record> struct RecordField
{
    QLatin1String column;
    std::variant<int Record::*, QString Record::*> member;
    QLatin1String fileColumn{};
    qsizetype longest = 0;
    bool required = false;
};

// The fields a named entry's record begins with: its id (idFile in the catalogue file) and its
// name ("name" there), never blank nor longer than a name may be.
template <typename Record>
QList<RecordField<Record>> IdAndName(QLatin1String idColumn, QLatin1String idFile,
                                     QLatin1String nameColumn)
{
    return {{idColumn, &Record::id, idFile},
            {nameColumn, &Record::name, QLatin1String("name"), TextLimits::kName, true}};
}

// A store whose record's members are its table's columns, each declared once in the store's
// Fields(): the id first, then the name, then any others. The columns, the values to bind, the
// record read from a row, the catalogue file's header and fields, and the journal's text of the
// record all follow from that list.
template <typename Store, typename Record> struct FieldStore : RecordStore<Store, Record>
{
    static const QStringList& Columns()
    {
        static const QStringList columns = [] {
            QStringList names;
            for (const RecordField<Record>& field : Store::Fields())
                names << field.column;
            return names;
        }();
        return columns;
    }

    static QVariantList Values(const Record& record)
    {
        QVariantList values;
        for (const RecordField<Record>& field : Store::Fields())
            std::visit([&](auto member) { values << QVariant(record.*member); }, field.member);
        return values;
    }

    static Record FromRow(const RowSet& rows, int r)
    {
        Record record{};
        int column = 0;
        for (const RecordField<Record>& field : Store::Fields()) {
            const QVariant value = rows.At(r, column++);
            if (const auto number = std::get_if<int Record::*>(&field.member))
                record.** number = value.toInt();
            else
                record.*std::get<QString Record::*>(field.member) = StoredText(value);
        }
        return record;
    }

    // The fields the catalogue file carries, in the file's order.
    static QList<RecordField<Record>> FileFields()
    {
        QList<RecordField<Record>> fields;
        for (const RecordField<Record>& field : Store::Fields()) {
            if (!field.fileColumn.isEmpty())
                fields << field;
        }
        return fields;
    }

    static QStringList FileHeader()
    {
        QStringList header;
        for (const RecordField<Record>& field : FileFields())
            header << field.fileColumn;
        return header;
    }

    // The record's fields as the catalogue file writes them.
    static QStringList FileTexts(const Record& record)
    {
        QStringList texts;
        for (const RecordField<Record>& field : FileFields())
            texts << Text(field, record);
        return texts;
    }

    // What the journal tells of a record beside its name: each field after the name as
    // "column: value", one line each; null when the record has none.
    static QString JournalText(const Record& record)
    {
        QStringList lines;
        for (const RecordField<Record>& field : Store::Fields().mid(2))
            lines << field.column + QStringLiteral(": ") + Text(field, record);
        return lines.isEmpty() ? QString() : lines.join(QLatin1Char('\n'));
    }

private:
    static QString Text(const RecordField<Record>& field, const Record& record)
    {
        if (const auto number = std::get_if<int Record::*>(&field.member))
            return QString::number(record.**number);
        return record.*std::get<QString Record::*>(field.member);
    }
};
