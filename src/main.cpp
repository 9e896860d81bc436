#include "app/StartUp.h"
#include "app/mdlPharvel.h"

#include <QApplication>
#include <cstdlib>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("prjPharvel"));
    // The installed desktop entry's name: the desktop shows the running windows as that entry.
    QApplication::setDesktopFileName(QStringLiteral("org.pharvel.Pharvel"));
    mdlPharvel::Main();
    // A run that ends at the login or the connection has not done what it was started for.
    if (mdlPharvel::MainWindow.isNull())
        return EXIT_FAILURE;
    return QApplication::exec();
}
