#include "details/DesignFont.h"

#include <QLabel>
#include <QStringList>
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
