#include "app/frmSplash.h"

#include "app/StretchedPicture.h"
#include "app/WindowPlacement.h"

frmSplash::frmSplash(QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("frmSplash"));
    setFixedSize(301, 200);
    auto* picture = new StretchedPicture(QStringLiteral("splash"), this);
    picture->setGeometry(0, 0, 300, 200);
    WindowPlacement::CentreOnScreen(this);
}
