#pragma once

#include "platform/db/ReportPreparation.h"

#include <QCoreApplication>
#include <QString>
#include <optional>

class QLabel;
class QWidget;
class frmView;

// The commands of the "&Reports" menu. The structure and the other-details reports are prepared
// on the server first, with the busy pointer and the progress in the status panel; the drugs
// with no generic name are shown at once. Each ends with the report viewer shown modally.
class ReportCommands
{
    Q_DECLARE_TR_FUNCTIONS(ReportCommands)

public:
    // The report viewer of the run: one window, made on first use as a child of the main window.
    static frmView& Viewer(QWidget& mainWindow);

    // Runs Pharvel_NodeLevel and then Pharvel_Generate on the current user's connection and
    // shows the report of that preparation. Any failure is raised again with its number and
    // description and the source errorSource; the status panel keeps the text it had when the
    // failure came.
    static void PrepareAndView(QLabel& statusPanel, frmView& viewer, qint16 whatReport,
                               const QString& errorSource);

    // Asks for a period and shows the catalogue's changes in it (report 4), prepared by
    // Pharvel_Changes; nothing when the period is cancelled. Failures as PrepareAndView.
    static void ChangesAndView(QWidget& mainWindow, QLabel& statusPanel, frmView& viewer,
                               const QString& errorSource);

    // Shows the report as it is, or the rows of a preparation made before: no procedure, no
    // status text, no pointer.
    static void View(frmView& viewer, qint16 whatReport,
                     std::optional<ReportPreparation::Id> preparation = std::nullopt);
};
