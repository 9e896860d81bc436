#include "assign/RowsNotMoved.h"

#include "platform/widgets/MsgBox.h"

void RowsNotMoved::Add(const QString& name, const QString& reason)
{
    m_lines << name + QStringLiteral(": ") + reason;
}

void RowsNotMoved::Show() const
{
    if (m_lines.isEmpty())
        return;
    MsgBox::Show(m_heading + QStringLiteral("\n\n") + m_lines.join(QLatin1Char('\n')),
                 MsgBox::Icon::Exclamation);
}
