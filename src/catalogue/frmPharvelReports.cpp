// The "&Reports" menu of the main window.
#include "catalogue/frmPharvel.h"
#include "reports/ReportCommands.h"

void frmPharvel::mnuPharvelReport_Click()
{
    ReportCommands::PrepareAndView(*staMessage, ReportCommands::Viewer(*this), 1,
                                   QStringLiteral("frmPharvel.mnuPharvelReport_Click_Err"));
}

void frmPharvel::mnuDrugsWOGeneric_Click()
{
    ReportCommands::View(ReportCommands::Viewer(*this), 2);
}

void frmPharvel::mnuDrugsWODetails_Click()
{
    ReportCommands::PrepareAndView(*staMessage, ReportCommands::Viewer(*this), 3,
                                   QStringLiteral("frmPharvel.mnuDrugsWODetails_Click_Err"));
}

// The formulary is read as it stands: nothing to prepare, so any user who may look may see it.
void frmPharvel::mnuFormularyReport_Click()
{
    ReportCommands::View(ReportCommands::Viewer(*this), 5);
}

void frmPharvel::mnuCatalogueChanges_Click()
{
    ReportCommands::ChangesAndView(*this, *staMessage, ReportCommands::Viewer(*this),
                                   QStringLiteral("frmPharvel.mnuCatalogueChanges_Click_Err"));
}
