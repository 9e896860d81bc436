#pragma once

#include <QString>

namespace ReportEngine {

// The engine's numeric codes for the export formats and destinations.
enum class ExportFormatType { None = 0, RichText = 4, Excel80 = 29 };
enum class ExportDestinationType { None = 0, DiskFile = 1 };

// How the next export of a report is written. Nothing is chosen until it is set.
class ExportOptions
{
public:
    void Reset() { *this = ExportOptions(); }

    ExportFormatType FormatType() const { return m_format; }
    void SetFormatType(ExportFormatType format) { m_format = format; }
    ExportDestinationType DestinationType() const { return m_destination; }
    void SetDestinationType(ExportDestinationType destination) { m_destination = destination; }
    const QString& DiskFileName() const { return m_diskFileName; }
    void SetDiskFileName(const QString& path) { m_diskFileName = path; }

private:
    ExportFormatType m_format = ExportFormatType::None;
    ExportDestinationType m_destination = ExportDestinationType::None;
    QString m_diskFileName;
};

} // namespace ReportEngine
