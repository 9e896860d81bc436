#pragma once

#include <QString>
#include <memory>

namespace ReportEngine {

class Report;

// The report engine's entry point: opens report files.
class Application
{
public:
    // Raises PharvelError(ReportFileInvalid) for a file that is missing or malformed.
    std::shared_ptr<Report> OpenReport(const QString& path) const;
};

} // namespace ReportEngine
