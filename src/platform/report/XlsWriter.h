#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>
#include <map>
#include <utility>

// A spreadsheet workbook of one sheet in the binary format of Excel 97 and later (BIFF8 records
// inside a compound file), as the report export writes it. Text cells go through the shared
// string table so that any Unicode text survives.
class XlsWriter
{
public:
    static constexpr int kMaxRows = 65536;
    static constexpr int kMaxColumns = 256;
    static constexpr int kMaxTextLength = 32767;

    // The sheet's name; characters a sheet name cannot hold become '_', and it is cut to 31.
    explicit XlsWriter(const QString& sheetName);

    // Width in characters of the digit zero in the default font.
    void SetColumnWidth(int column, double characters);
    // The deepest indent a cell's format holds.
    static constexpr int kMaxIndent = 15;

    // Cells; a row or column beyond the format's limits, or a text longer than a cell holds,
    // raises PharvelError rather than writing a damaged file. The indent, in steps of the
    // spreadsheet's own, is part of the cell's format, so the text itself stays as given.
    void SetText(int row, int column, const QString& text, bool bold = false, int indent = 0);
    void SetNumber(int row, int column, double value);

    // The complete .xls file.
    QByteArray Workbook() const;

private:
    struct Cell
    {
        bool isText = true;
        bool bold = false;
        int indent = 0;
        QString text;
        double number = 0;
    };
    void CheckPosition(int row, int column) const;
    QByteArray Globals(const QStringList& strings, qsizetype& sheetOffsetAt) const;
    QByteArray Sheet(const QHash<QString, quint32>& stringIndex) const;

    QString m_sheetName;
    std::map<std::pair<int, int>, Cell> m_cells; // ordered by row, then column
    std::map<int, double> m_widths;
};
