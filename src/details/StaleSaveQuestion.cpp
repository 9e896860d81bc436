#include "details/StaleSaveQuestion.h"

#include "platform/widgets/MsgBox.h"

#include <QCoreApplication>

bool OverwriteTheirs(const QString& what, const QString& who)
{
    const auto tr = [](const char* text) {
        return QCoreApplication::translate("StaleSaveQuestion", text);
    };
    QString text =
        tr("Changes by another user to %1 were saved after this window read them").arg(what);
    if (!who.isEmpty())
        text += QStringLiteral(" (%1)").arg(who);
    text += tr(". Do you wish to overwrite theirs with yours? Choose No to keep theirs.");
    return MsgBox::Show(text, MsgBox::Icon::Question, MsgBox::Buttons::YesNo, tr("MESSAGE")) ==
           MsgBox::Answer::Yes;
}
