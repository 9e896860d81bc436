#include "reports/CommonDialog.h"

#include <QFileDialog>
#include <QWidget>
#include <utility>

namespace {

CommonDialog::SaveHandler& installedHandler()
{
    static CommonDialog::SaveHandler handler;
    return handler;
}

// Description and pattern, in turn.
QStringList Parts(const QString& filter)
{
    return filter.split(QLatin1Char('|'));
}

} // namespace

CommonDialog::CommonDialog(QWidget* parent) : QObject(parent), m_window(parent) {}

QString CommonDialog::ShowSave()
{
    if (const SaveHandler& handler = installedHandler()) {
        m_fileName = handler(m_filter);
        return m_fileName;
    }
    QFileDialog dialog(m_window);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters(NameFilters(m_filter));
    dialog.setDefaultSuffix(DefaultSuffix(m_filter));
    m_fileName = dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
    return m_fileName;
}

void CommonDialog::SetSaveHandler(SaveHandler handler)
{
    installedHandler() = std::move(handler);
}

QStringList CommonDialog::NameFilters(const QString& filter)
{
    const QStringList parts = Parts(filter);
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString patterns = parts.at(i + 1).split(QLatin1Char(';')).join(QLatin1Char(' '));
        const QString& description = parts.at(i);
        filters << (description.contains(QLatin1Char('(') + patterns + QLatin1Char(')'))
                        ? description
                        : description + QStringLiteral(" (") + patterns + QLatin1Char(')'));
    }
    return filters;
}

QString CommonDialog::DefaultSuffix(const QString& filter)
{
    const QString pattern = Parts(filter).value(1).split(QLatin1Char(';')).value(0);
    const qsizetype dot = pattern.lastIndexOf(QLatin1Char('.'));
    const QString suffix = dot < 0 ? QString() : pattern.mid(dot + 1);
    return suffix.contains(QLatin1Char('*')) ? QString() : suffix;
}

ScopedSaveDialogHandler::ScopedSaveDialogHandler(CommonDialog::SaveHandler handler)
    : m_previous(std::exchange(installedHandler(), std::move(handler)))
{}

ScopedSaveDialogHandler::~ScopedSaveDialogHandler()
{
    installedHandler() = std::move(m_previous);
}
