#pragma once

#include <QSvgRenderer>
#include <QWidget>

// An image control whose picture is stretched over its whole area (`imgBack`, the splash
// picture). The drawing is rendered at the widget's size, so it is sharp at any scale.
class StretchedPicture : public QWidget
{
    Q_OBJECT

public:
    explicit StretchedPicture(const QString& artName, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QSvgRenderer m_drawing;
};
