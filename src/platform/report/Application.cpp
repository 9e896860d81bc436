#include "platform/report/Application.h"

#include "platform/report/Report.h"
#include "platform/report/ReportFileParser.h"

namespace ReportEngine {

std::shared_ptr<Report> Application::OpenReport(const QString& path) const
{
    return std::make_shared<Report>(ReportFileParser::ReadFile(path));
}

} // namespace ReportEngine
