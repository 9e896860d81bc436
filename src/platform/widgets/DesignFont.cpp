#include "platform/widgets/DesignFont.h"

#include <QLabel>
#include <QStringList>
#include <QWidget>
#include <algorithm>

QFont DesignFont(const QString& family, qreal pointSize, bool bold)
{
    const QString condensed = QStringLiteral("DejaVu Sans Condensed");
    QStringList families{family};
    if (family == QLatin1String("Arial") || family == QLatin1String("MS Sans Serif")) {
        families << QStringLiteral("Microsoft Sans Serif") << QStringLiteral("Liberation Sans")
                 << QStringLiteral("Nimbus Sans") << condensed;
    } else {
        families << condensed;
    }
    QFont font;
    font.setFamilies(families);
    font.setPointSizeF(pointSize);
    font.setBold(bold);
    return font;
}

void HoldCaption(QLabel* label)
{
    label->resize(std::max(label->width(), label->sizeHint().width()), label->height());
}

void FitCaption(QWidget* control, int room)
{
    const int wanted = control->sizeHint().width();
    if (wanted > control->width() && room > control->geometry().right())
        control->resize(std::min(wanted, room - control->x()), control->height());
    QFont font = control->font();
    while (control->sizeHint().width() > control->width() && font.pointSizeF() > 7) {
        font.setPointSizeF(font.pointSizeF() - 0.5);
        control->setFont(font);
    }
}

void FitCaptionRow(const QList<QWidget*>& row, int room)
{
    QList<QRect> designed;
    for (const QWidget* control : row)
        designed << control->geometry();
    const auto fits = [&row, &designed, room] {
        int end = 0;
        for (qsizetype n = 0; n < row.size(); ++n) {
            QWidget* control = row[n];
            // A grown neighbour keeps a character's width of space before the next caption.
            const int left =
                n == 0 ? designed[n].x()
                       : std::max(designed[n].x(), end + control->fontMetrics().averageCharWidth());
            control->setGeometry(left, designed[n].y(),
                                 std::max(designed[n].width(), control->sizeHint().width()),
                                 designed[n].height());
            end = control->geometry().right() + 1;
        }
        return end <= room;
    };
    QFont font = row.isEmpty() ? QFont() : row.front()->font();
    while (!fits() && font.pointSizeF() > 7) {
        font.setPointSizeF(font.pointSizeF() - 0.5);
        for (QWidget* control : row)
            control->setFont(font);
    }
}
