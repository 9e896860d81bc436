#include "platform/report/Database.h"

namespace ReportEngine {

Database::Database(const std::vector<ReportTableDefinition>& tables)
{
    for (const ReportTableDefinition& table : tables)
        m_tables.push_back(std::make_unique<DatabaseTable>(table));
}

DatabaseTable* Database::Table(const QString& name) const
{
    for (const auto& table : m_tables) {
        if (table->Name().compare(name, Qt::CaseInsensitive) == 0)
            return table.get();
    }
    return nullptr;
}

int Database::Revision() const
{
    int sum = 0;
    for (const auto& table : m_tables)
        sum += table->Revision();
    return sum;
}

} // namespace ReportEngine
