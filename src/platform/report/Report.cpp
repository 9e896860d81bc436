#include "platform/report/Report.h"

#include "platform/db/PharvelError.h"
#include "platform/report/ReportContent.h"
#include "platform/report/ReportErrorNumber.h"
#include "platform/report/ReportLayout.h"
#include "platform/report/ReportPainter.h"
#include "platform/report/ReportRtfExport.h"
#include "platform/report/ReportXlsExport.h"

#include <QPainter>
#include <QPrinter>
#include <QSaveFile>

namespace ReportEngine {

namespace {
[[noreturn]] void exportFailed(const QString& why)
{
    throw PharvelError(ErrorNumber::ReportExportFailed, why, QStringLiteral("Report.Export"));
}
} // namespace

Report::Report(ReportDefinition definition)
    : m_definition(std::move(definition)), m_database(m_definition.tables),
      m_printDate(QDate::currentDate())
{
    for (const ReportTextProperty& property : m_definition.textProperties)
        m_formulaFields.append(FormulaField(property.name, property.defaultText));
}

Report::~Report() = default;

FormulaField& Report::FormulaFieldByName(const QString& name)
{
    for (FormulaField& field : m_formulaFields) {
        if (field.Name().compare(name, Qt::CaseInsensitive) == 0)
            return field;
    }
    throw PharvelError(
        ErrorNumber::ReportFileInvalid,
        QStringLiteral("The report %1 has no text property %2.").arg(m_definition.name, name),
        QStringLiteral("Report.FormulaFields"));
}

void Report::ReadTables()
{
    RowSet records;
    QHash<QString, QString> firstRecords;
    for (const auto& table : m_database.Tables()) {
        if (table->Fields().isEmpty())
            continue;
        if (table->Name().compare(m_definition.detail.table, Qt::CaseInsensitive) == 0) {
            records = table->Read(&m_definition.detail);
            continue;
        }
        const RowSet first = table->Read(nullptr);
        for (const QString& field : table->Fields()) {
            const QString key = (table->Name() + QLatin1Char('.') + field).toLower();
            firstRecords.insert(key, first.RecordCount() > 0
                                         ? first.At(0, first.ColumnIndex(field)).toString()
                                         : QString());
        }
    }
    m_layout.reset();
    m_content =
        std::make_shared<ReportContent>(m_definition, std::move(records), std::move(firstRecords));
    m_contentRevision = m_database.Revision();
}

const ReportContent& Report::Content()
{
    if (!m_content || m_contentRevision != m_database.Revision())
        ReadTables();
    QHash<QString, QString> texts;
    for (const FormulaField& field : m_formulaFields)
        texts.insert(field.Name().toLower(), field.Text());
    m_content->SetTexts(std::move(texts));
    m_content->SetPrintDate(m_printDate);
    return *m_content;
}

std::shared_ptr<const ReportLayout> Report::Layout(const QPageLayout& page)
{
    Content();
    if (!m_layout || !m_layout->PageLayout().isEquivalentTo(page))
        m_layout = std::make_shared<ReportLayout>(m_content, page);
    return m_layout;
}

void Report::Export(bool promptUser)
{
    if (promptUser)
        exportFailed(QStringLiteral("The report engine exports only to the file named in the "
                                    "export options, without asking."));
    const ReportEngine::ExportOptions& options = m_exportOptions;
    if (options.DestinationType() != ExportDestinationType::DiskFile)
        exportFailed(QStringLiteral("The export destination is not set to a disk file."));
    if (options.DiskFileName().isEmpty())
        exportFailed(QStringLiteral("The export options name no file."));
    QByteArray data;
    switch (options.FormatType()) {
    case ExportFormatType::Excel80:
        data = ReportXlsExport::Workbook(Content());
        break;
    case ExportFormatType::RichText:
        data = ReportRtfExport::Document(Content());
        break;
    case ExportFormatType::None:
        exportFailed(QStringLiteral("The export format is not set."));
    }
    QSaveFile file(options.DiskFileName());
    if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size() || !file.commit())
        exportFailed(QStringLiteral("The report could not be written to %1: %2")
                         .arg(options.DiskFileName(), file.errorString()));
}

void Report::PrintOut(QPrinter& printer)
{
    const std::shared_ptr<const ReportLayout> layout = Layout(printer.pageLayout());
    printer.setDocName(m_definition.title.isEmpty() ? m_definition.name : m_definition.title);
    const int first = printer.fromPage() > 0 ? printer.fromPage() - 1 : 0;
    const int last = printer.toPage() > 0 ? std::min(printer.toPage(), layout->PageCount()) - 1
                                          : layout->PageCount() - 1;
    QPainter painter;
    if (!painter.begin(&printer))
        throw PharvelError(
            ErrorNumber::ReportExportFailed,
            QStringLiteral("The printer %1 cannot be started.").arg(printer.printerName()),
            QStringLiteral("Report.PrintOut"));
    const double scale = printer.resolution() / ReportLayout::kUnitsPerInch;
    for (int page = first; page <= last; ++page) {
        if (page > first)
            printer.newPage();
        painter.save();
        painter.scale(scale, scale);
        ReportPainter::PaintPage(painter, *layout, page);
        painter.restore();
    }
    painter.end();
}

} // namespace ReportEngine
