#pragma once

#include <QObject>

class KeyStatePanel;

// Keeps the status bar's INS, CAPS and NUM panels showing the keys' real states. Caps lock and
// num lock are read from the display server whenever a key goes up or down anywhere in the
// program and whenever the program becomes active; where the server cannot say, their presses
// are counted instead. The insert key is a toggle of the program's own, off at start.
class KeyStateTracker : public QObject
{
    Q_OBJECT

public:
    KeyStateTracker(KeyStatePanel* insert, KeyStatePanel* caps, KeyStatePanel* num,
                    QObject* parent = nullptr);
    ~KeyStateTracker() override;

    void Refresh();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    KeyStatePanel* m_insert;
    KeyStatePanel* m_caps;
    KeyStatePanel* m_num;
};
