#pragma once

#include <QString>

namespace ReportEngine {

// A named text of a report that the caller sets before showing it (the hospital's company
// name, its address line); the report's texts print it wherever the file names it in braces.
class FormulaField
{
public:
    FormulaField(QString name, QString text) : m_name(std::move(name)), m_text(std::move(text)) {}

    const QString& Name() const { return m_name; }
    const QString& Text() const { return m_text; }
    void SetText(const QString& text) { m_text = text; }

private:
    QString m_name;
    QString m_text;
};

} // namespace ReportEngine
