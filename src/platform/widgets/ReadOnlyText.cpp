#include "platform/widgets/ReadOnlyText.h"

#include <QPlainTextEdit>

namespace {

void ReadOnlyGround(QWidget* box)
{
    QPalette palette = box->palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::Window));
    box->setPalette(palette);
}

} // namespace

void ReadOnlyText::Apply(QLineEdit* box)
{
    box->setReadOnly(true);
    ReadOnlyGround(box);
}

void ReadOnlyText::Apply(QPlainTextEdit* box)
{
    box->setReadOnly(true);
    box->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    ReadOnlyGround(box);
}

ReadOnlyLineEdit::ReadOnlyLineEdit(QWidget* parent) : QLineEdit(parent)
{
    ReadOnlyText::Apply(this);
}

void ReadOnlyLineEdit::focusInEvent(QFocusEvent* event)
{
    QLineEdit::focusInEvent(event);
    deselect();
}
