#include "RegisterBench.h"

#include "BenchTiming.h"
#include "platform/catalog/Pharvel.h"
#include "platform/db/SQLConnection.h"
#include "platform/db/ScopedTransaction.h"
#include "platform/widgets/FlexGrid.h"
#include "register/frmGeneric.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLineEdit>
#include <algorithm>
#include <stdexcept>
#include <vector>

namespace RegisterBench {

namespace {

using BenchTiming::Median;
using BenchTiming::Milliseconds;

// Names made of a few stems and a number, so that each letter of a search narrows the list.
void FillRegister(SQLConnection& connection, int names)
{
    const QStringList stems{QStringLiteral("Paracetamol"), QStringLiteral("Amoxicillin"),
                            QStringLiteral("Morphine"),    QStringLiteral("Ibuprofen"),
                            QStringLiteral("Cefalexin"),   QStringLiteral("Salbutamol"),
                            QStringLiteral("Omeprazole"),  QStringLiteral("Metformin")};
    ScopedTransaction transaction(connection);
    const int present =
        connection.Scalar(QStringLiteral("SELECT count(*) FROM inventory.tbforgeneric")).toInt();
    int code = connection
                   .Scalar(QStringLiteral("SELECT coalesce(max(GenericCode), 0) FROM "
                                          "inventory.tbforgeneric"))
                   .toInt();
    for (int n = present; n < names; ++n) {
        ++code;
        connection.Execute(QStringLiteral("INSERT INTO inventory.tbforgeneric "
                                          "(GenericCode, genericname) VALUES (?, ?)"),
                           {code, QStringLiteral("%1 %2").arg(stems[n % stems.size()]).arg(n)});
    }
    transaction.Commit();
}

// The letters typed, each followed by a reload: "para" forwards and back, then "mor".
QList<int> Keystrokes()
{
    return {Qt::Key_P,         Qt::Key_A,         Qt::Key_R,         Qt::Key_A,
            Qt::Key_Backspace, Qt::Key_Backspace, Qt::Key_Backspace, Qt::Key_Backspace,
            Qt::Key_M,         Qt::Key_O,         Qt::Key_R,         Qt::Key_Backspace,
            Qt::Key_Backspace, Qt::Key_Backspace};
}

QString KeyText(int key)
{
    return key == Qt::Key_Backspace ? QString() : QString(QChar(key).toLower());
}

} // namespace

SearchFigures MeasureSearchKeystroke(const QString& target, int names)
{
    auto connection = SQLConnection::Open(target);
    FillRegister(*connection, names);
    ClassPharvel::Pharvel pharvel;
    if (!pharvel.Connect(target))
        throw std::runtime_error(qPrintable(pharvel.LastError()));

    frmGeneric form(pharvel, *connection);
    form.show();
    QApplication::processEvents();

    SearchFigures figures;
    figures.names = names;
    std::vector<double> keystrokes;
    std::vector<double> baselines;
    for (int round = 0; round < 3; ++round) {
        for (int key : Keystrokes()) {
            QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, KeyText(key));
            QElapsedTimer timer;
            timer.start();
            QApplication::sendEvent(form.txtSearch, &press);
            form.flexMSHList->viewport()->repaint();
            keystrokes.push_back(Milliseconds(timer));

            timer.restart();
            const RowSet bare = connection->OpenRowSet(
                QStringLiteral("SELECT GenericCode, genericname FROM inventory.tbforgeneric "
                               "WHERE upper(genericname) LIKE ? ORDER BY genericname"),
                {QLatin1Char('%') + form.txtSearch->text() + QLatin1Char('%')});
            baselines.push_back(Milliseconds(timer));
        }
    }
    form.close();
    figures.keystrokes = static_cast<int>(keystrokes.size());
    figures.medianMs = Median(keystrokes);
    figures.worstMs = *std::max_element(keystrokes.begin(), keystrokes.end());
    figures.baselineMs = Median(baselines);
    return figures;
}

} // namespace RegisterBench
