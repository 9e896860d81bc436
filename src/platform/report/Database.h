#pragma once

#include "platform/report/DatabaseTable.h"

#include <memory>
#include <vector>

namespace ReportEngine {

// The tables of a report, in the order its file declares them.
class Database
{
public:
    explicit Database(const std::vector<ReportTableDefinition>& tables);

    const std::vector<std::unique_ptr<DatabaseTable>>& Tables() const { return m_tables; }
    // The table of that name (letter case not counting), or nullptr.
    DatabaseTable* Table(const QString& name) const;
    // The sum of the tables' revisions: it grows whenever any table is re-pointed or logged on.
    int Revision() const;

private:
    std::vector<std::unique_ptr<DatabaseTable>> m_tables;
};

} // namespace ReportEngine
