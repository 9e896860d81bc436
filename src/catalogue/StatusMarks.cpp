#include "catalogue/StatusMarks.h"

#include "platform/db/FormularyRecord.h"
#include "platform/widgets/ImageList.h"
#include "platform/widgets/TreeNode.h"

#include <QCoreApplication>
#include <QPainter>
#include <QPainterPath>

namespace StatusMarks {

namespace {

const QString kCapsule = QStringLiteral("capsule");
const QStringList kMarked = {FormularyStatus::Restricted, FormularyStatus::WithGuidelines,
                             FormularyStatus::NotInFormulary};

// The mark in the picture's lower right part, drawn in logical pixels, so that the picture's
// pixel density makes it sharp: a triangle for restricted, a diamond for guidelines, a barred
// disc for not in the formulary, each with a light rim that keeps it apart from the capsule.
void DrawMark(QPainter& painter, const QString& status, const QRectF& box)
{
    QPainterPath shape;
    if (status == FormularyStatus::Restricted) {
        shape.moveTo(box.center().x(), box.top());
        shape.lineTo(box.bottomRight());
        shape.lineTo(box.bottomLeft());
        shape.closeSubpath();
    } else if (status == FormularyStatus::WithGuidelines) {
        shape.moveTo(box.center().x(), box.top());
        shape.lineTo(box.right(), box.center().y());
        shape.lineTo(box.center().x(), box.bottom());
        shape.lineTo(box.left(), box.center().y());
        shape.closeSubpath();
    } else {
        shape.addEllipse(box);
    }
    const qreal rim = box.width() / 8;
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::white, rim * 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Colour(status));
    painter.drawPath(shape);
    if (status == FormularyStatus::NotInFormulary) {
        painter.setPen(QPen(Qt::white, rim * 1.5, Qt::SolidLine, Qt::FlatCap));
        const qreal inset = box.width() / 4;
        painter.drawLine(QPointF(box.left() + inset, box.center().y()),
                         QPointF(box.right() - inset, box.center().y()));
    }
}

} // namespace

QColor Colour(const QString& status)
{
    if (status == FormularyStatus::InFormulary)
        return QColor(0x2e, 0x7d, 0x32);
    if (status == FormularyStatus::Restricted)
        return QColor(0xe0, 0x8a, 0x00);
    if (status == FormularyStatus::WithGuidelines)
        return QColor(0x15, 0x65, 0xc0);
    if (status == FormularyStatus::NotInFormulary)
        return QColor(0xc6, 0x28, 0x28);
    return QColor(0x75, 0x75, 0x75);
}

QString Word(const QString& status)
{
    return QCoreApplication::translate("FormularyStatus",
                                       FormularyStatus::Word(status).toUtf8().constData());
}

void AddPictures(ImageList& pictures)
{
    const QSize size = pictures.ImageSize();
    // The mark covers a little more than the lower right quarter.
    const QRectF box(size.width() * 0.42, size.height() * 0.42, size.width() * 0.55,
                     size.height() * 0.55);
    for (const QString& status : kMarked) {
        QPixmap picture = pictures.Picture(kCapsule);
        QPainter painter(&picture);
        DrawMark(painter, status, box);
        painter.end();
        pictures.Add(ImageKey(status), picture);
    }
}

QString ImageKey(const QString& status)
{
    return kMarked.contains(status) ? kCapsule + QLatin1Char('-') + status : kCapsule;
}

QString ToolTipLine(const QString& status)
{
    return QCoreApplication::translate("StatusMarks", "Formulary: %1").arg(Word(status));
}

void Mark(TreeNode& node, const QString& status)
{
    node.SetImage(ImageKey(status));
    node.SetToolTipLine(ToolTipLine(status));
}

} // namespace StatusMarks
