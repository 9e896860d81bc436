#include "app/mdlPharvel.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("prjPharvel"));
    // The installed desktop entry's name: the desktop shows the running windows as that entry.
    QApplication::setDesktopFileName(QStringLiteral("org.pharvel.Pharvel"));
    mdlPharvel::Main();
    if (QApplication::topLevelWidgets().isEmpty())
        return 0;
    return QApplication::exec();
}
