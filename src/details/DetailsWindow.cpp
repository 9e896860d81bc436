#include "details/DetailsWindow.h"

#include "platform/db/PharvelError.h"
#include "platform/widgets/ErrorHandler.h"

#include <QShowEvent>

DetailsWindow::DetailsWindow(SQLConnection& connection, QWidget* parent)
    : QDialog(parent), m_connection(connection)
{}

void DetailsWindow::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    bool loaded = false;
    Guarded([this, &loaded] {
        Form_Load();
        loaded = true;
    });
    // Closed once the showing has finished: a modal opening then returns to its opener.
    if (!loaded)
        QMetaObject::invokeMethod(this, &QDialog::reject, Qt::QueuedConnection);
}
