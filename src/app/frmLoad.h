#pragma once

#include <QWidget>

class QLabel;
class QProgressBar;

// The progress window of a tree load: a title naming what is loaded and a bar that counts the
// rows. A new instance is made for each load and goes at its end, so the bar always starts at 0.
//
// A load does not return to the event loop until it is done, so the window puts itself on the
// screen: ShowPainted paints it once it is shown, and Step redraws the bar at each hundredth of
// its length. Both pass only the window system's own work (exposure, painting); a click or a
// key waits until the load is over.
class frmLoad : public QWidget
{
    Q_OBJECT

public:
    explicit frmLoad(QWidget* parent = nullptr);

    // Shows the window and paints it.
    void ShowPainted();
    // Adds 1 to the bar's value.
    void Step();

    QLabel* lblTitle;
    QProgressBar* pb;

    // Kept for the windows that look at it; a load shown here cannot be cancelled.
    bool Cancelled = false;

private:
    int m_drawnStep = 0; // the hundredth of the bar last drawn
};
