#include "catalogue/LockWaitNotice.h"

#include "platform/db/SQLConnection.h"

#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>
#include <QLabel>
#include <QPointer>

namespace LockWaitNotice {

void Install(QLabel* statusPanel)
{
    SQLConnection::SetLockWaitNotice([panel = QPointer<QLabel>(statusPanel), before = QString()](
                                         bool waiting, const QString& database) mutable {
        if (waiting) {
            QGuiApplication::setOverrideCursor(Qt::WaitCursor);
            if (panel) {
                before = panel->text();
                panel->setText(QCoreApplication::translate(
                                   "LockWaitNotice",
                                   "Waiting for the database %1, which another program "
                                   "holds locked...")
                                   .arg(QDir::toNativeSeparators(database)));
                panel->repaint();
            }
        } else {
            QGuiApplication::restoreOverrideCursor();
            if (panel)
                panel->setText(before);
        }
    });
}

void Remove()
{
    SQLConnection::SetLockWaitNotice({});
}

} // namespace LockWaitNotice
