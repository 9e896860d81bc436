#pragma once

#include <QString>
#include <functional>

// The one way the system shows a message box: a text, an icon, a button set and a title, with the
// answer as the button pressed. Every window goes through here so that a test can see each
// message and give the answer without a real box appearing.
class MsgBox
{
public:
    enum class Icon { Critical, Question, Exclamation, Information, None };
    enum class Buttons { OK, OKCancel, YesNo, YesNoCancel, RetryCancel };
    enum class Answer { Ok, Cancel, Yes, No, Retry };

    struct Message
    {
        QString text;
        Icon icon;
        Buttons buttons;
        QString title;
    };

    using Handler = std::function<Answer(const Message&)>;

    // Shows a modal box over the window it belongs to (the modal window that is up, the active
    // window or the main window) and returns the button pressed. Closing the box
    // without a button answers Cancel, or No for Yes/No, or Ok for a box with OK alone.
    static Answer Show(const QString& text, Icon icon = Icon::Information,
                       Buttons buttons = Buttons::OK, const QString& title = ApplicationTitle());

    // The title of a message for which no title is named: "prjPharvel".
    static QString ApplicationTitle();

    // Replaces the real box; an empty handler restores it. For tests: see ScopedMsgBoxHandler.
    static void SetHandler(Handler handler);

private:
    static Answer ShowBox(const Message& message);
};

// Installs a message-box handler for the lifetime of a test scope and puts back the one that was
// there before.
class ScopedMsgBoxHandler
{
public:
    explicit ScopedMsgBoxHandler(MsgBox::Handler handler);
    ~ScopedMsgBoxHandler();

    ScopedMsgBoxHandler(const ScopedMsgBoxHandler&) = delete;
    ScopedMsgBoxHandler& operator=(const ScopedMsgBoxHandler&) = delete;

private:
    MsgBox::Handler m_previous;
};
