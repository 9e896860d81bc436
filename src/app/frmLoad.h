#pragma once

#include <QWidget>

class QLabel;
class QProgressBar;

// The progress window of a tree load: a title naming what is loaded and a bar that counts the
// rows. A new instance is made for each load and goes at its end, so the bar always starts at 0.
class frmLoad : public QWidget
{
    Q_OBJECT

public:
    explicit frmLoad(QWidget* parent = nullptr);

    QLabel* lblTitle;
    QProgressBar* pb;

    // Kept for the windows that look at it; a load shown here cannot be cancelled.
    bool Cancelled = false;
};
