#include "app/frmLoad.h"

#include "app/WindowPlacement.h"

#include <QLabel>
#include <QProgressBar>

frmLoad::frmLoad(QWidget* parent)
    : QWidget(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::MSWindowsFixedSizeDialogHint)
{
    setObjectName(QStringLiteral("frmLoad"));
    setFixedSize(312, 66);

    lblTitle = new QLabel(tr("Loading Pharvel Structure"), this);
    lblTitle->setObjectName(QStringLiteral("lblTitle"));
    lblTitle->setFont(QFont(QStringLiteral("Arial"), 9));
    lblTitle->setGeometry(8, 8, 296, 18);

    pb = new QProgressBar(this);
    pb->setObjectName(QStringLiteral("pb"));
    pb->setGeometry(8, 32, 296, 22);
    pb->setTextVisible(false);
    pb->setRange(0, 100);
    pb->setValue(0);

    WindowPlacement::CentreOnScreen(this);
}
