#include "assign/FrameCaption.h"

#include <QGroupBox>

void EmphasiseCaption(QGroupBox* frame)
{
    // Set explicitly, so that the children do not inherit the caption's font and colour.
    QFont plainFont = frame->font();
    plainFont.setBold(false);
    QPalette plainPalette = frame->palette();
    plainPalette.setColor(QPalette::WindowText, plainPalette.color(QPalette::WindowText));
    QFont bold = plainFont;
    bold.setBold(true);
    QPalette caption = plainPalette;
    caption.setColor(QPalette::WindowText, plainPalette.color(QPalette::Highlight));
    frame->setFont(bold);
    frame->setPalette(caption);
    for (QWidget* child : frame->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        child->setFont(plainFont);
        child->setPalette(plainPalette);
    }
}
