#pragma once

#include "details/FreshReadDialog.h"

class SQLConnection;

// The shape both drug-details windows share: a fixed-size window over the current user's
// connection, which reads its data afresh at every opening.
class DetailsWindow : public FreshReadDialog
{
    Q_OBJECT

protected:
    DetailsWindow(SQLConnection& connection, QWidget* parent);

    SQLConnection& Connection() const { return m_connection; }

private:
    SQLConnection& m_connection;
};
