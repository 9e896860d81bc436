#include "catalogue/SplitterImage.h"

#include <QMouseEvent>

SplitterImage::SplitterImage(QWidget* parent) : QWidget(parent)
{
    setCursor(Qt::SizeHorCursor);
}

void SplitterImage::mousePressEvent(QMouseEvent* event)
{
    emit MouseDown(event->button(), event->modifiers(), event->position().toPoint());
}

void SplitterImage::mouseMoveEvent(QMouseEvent* event)
{
    emit MouseMove(event->buttons(), event->modifiers(), event->position().toPoint());
}

void SplitterImage::mouseReleaseEvent(QMouseEvent* event)
{
    emit MouseUp(event->button(), event->modifiers(), event->position().toPoint());
}
