#include "app/mdlPharvel.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("prjPharvel"));
    mdlPharvel::Main();
    if (QApplication::topLevelWidgets().isEmpty())
        return 0;
    return QApplication::exec();
}
