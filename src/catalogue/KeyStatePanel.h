#pragma once

#include <QLabel>

// A status-bar panel that shows a key's name ("INS", "CAPS", "NUM"), dark while the key's state
// is on and greyed while it is off.
class KeyStatePanel : public QLabel
{
    Q_OBJECT

public:
    explicit KeyStatePanel(const QString& keyName, QWidget* parent = nullptr);

    bool IsOn() const { return m_on; }
    void SetOn(bool on);

private:
    bool m_on = false;
};
