#pragma once

#include <QWidget>

// The splitter handle between the tree and the right pane (`imgSplitter`): an empty strip with
// the east-west sizing pointer. While a button is held after a press on it, it receives the
// pointer's moves and the release, also outside itself. Positions are in pixels within it.
class SplitterImage : public QWidget
{
    Q_OBJECT

public:
    explicit SplitterImage(QWidget* parent = nullptr);

signals:
    void MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, const QPoint& pos);
    void MouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers shift, const QPoint& pos);
    void MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, const QPoint& pos);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
};
