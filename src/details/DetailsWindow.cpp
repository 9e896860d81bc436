#include "details/DetailsWindow.h"

DetailsWindow::DetailsWindow(SQLConnection& connection, QWidget* parent)
    : FreshReadDialog(parent), m_connection(connection)
{}
