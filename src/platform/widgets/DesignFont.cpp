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
