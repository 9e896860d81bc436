#pragma once

#include <QWidget>

// The splash window: the program's picture, on the screen while the catalogue connects and the
// main window loads. It has no behaviour of its own.
class frmSplash : public QWidget
{
    Q_OBJECT

public:
    explicit frmSplash(QWidget* parent = nullptr);
};
