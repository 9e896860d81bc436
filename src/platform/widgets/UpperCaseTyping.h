#pragma once

#include <QObject>

class QLineEdit;

// Turns every character typed into a text box into its upper-case form before it enters the
// box, so that a search text reads upper case as it is typed. Characters without an upper-case
// form pass unchanged; text the program sets is left alone. Lives as long as the box.
class UpperCaseTyping : public QObject
{
    Q_OBJECT

public:
    explicit UpperCaseTyping(QLineEdit* box);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLineEdit* m_box;
};
