#include "details/FreshReadDialog.h"

#include "platform/widgets/ErrorHandler.h"

#include <QShowEvent>

void FreshReadDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    bool loaded = false;
    Guarded([this, &loaded] {
        Form_Load();
        loaded = true;
    });
    // Closed once the showing has finished: a modal opening then returns to its opener. Nothing
    // was read, so there is nothing for the window to ask about.
    if (!loaded)
        QMetaObject::invokeMethod(
            this, [this] { QDialog::reject(); }, Qt::QueuedConnection);
}
