#pragma once

#include <QObject>

class QGroupBox;
class QWidget;

// Gives the focus to one control when the access key of a frame's caption is pressed. A frame
// would otherwise prefer a selected option button inside it, so that "&2. Available Drugs"
// reached the filter buttons instead of the grid. Lives as long as the frame.
class FrameAccessKey : public QObject
{
    Q_OBJECT

public:
    FrameAccessKey(QGroupBox* frame, QWidget* target);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* m_target;
};
