#include "platform/db/PharvelError.h"

PharvelError::PharvelError(int number, QString description, QString source)
    : m_number(number), m_description(std::move(description)), m_source(std::move(source)),
      m_what((m_source + QStringLiteral(": ") + m_description).toUtf8())
{}

PharvelError PharvelError::WithSource(const QString& source) const
{
    return PharvelError(m_number, m_description, source);
}
