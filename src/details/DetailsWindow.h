#pragma once

#include <QDialog>

class SQLConnection;

// The shape both drug-details windows share: a fixed-size window over the current user's
// connection, which reads its data afresh at every opening (Form_Load). An opening whose read
// fails says why and closes the window again, so that it never shows, or saves over, data it
// could not read.
class DetailsWindow : public QDialog
{
    Q_OBJECT

protected:
    DetailsWindow(SQLConnection& connection, QWidget* parent);

    SQLConnection& Connection() const { return m_connection; }
    virtual void Form_Load() = 0;

    void showEvent(QShowEvent* event) override;

private:
    SQLConnection& m_connection;
};
