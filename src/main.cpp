#include "app/mdlPharvel.h"

#include <QApplication>
#include <cstdlib>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("prjPharvel"));
    mdlPharvel::Main();
    // A run that ends at the login or the connection has not done what it was started for.
    if (mdlPharvel::MainWindow.isNull())
        return EXIT_FAILURE;
    return QApplication::exec();
}
