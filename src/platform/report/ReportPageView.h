#pragma once

#include <QWidget>
#include <memory>

class ReportLayout;

// One page of a laid-out report on screen, drawn as vectors at the widget's own resolution so
// that it stays sharp on high-density screens and at every zoom.
class ReportPageView : public QWidget
{
    Q_OBJECT

public:
    explicit ReportPageView(QWidget* parent = nullptr);

    // `page` counts from 0; `zoom` 1 shows the page at its natural size.
    void ShowPage(std::shared_ptr<const ReportLayout> layout, int page, double zoom);
    void Clear();

    // The page's size on screen at a zoom, without the margin around it.
    QSize PageSize(double zoom) const;
    static constexpr int kMargin = 12;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::shared_ptr<const ReportLayout> m_layout;
    int m_page = 0;
    double m_zoom = 1;
};
