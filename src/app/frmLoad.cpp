#include "app/frmLoad.h"

#include "app/WindowPlacement.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QProgressBar>
#include <QWindow>
#include <algorithm>

namespace {
// How long a window manager or compositor is given to map the window before it is painted
// regardless.
constexpr int kExposeWaitMs = 300;
// The bar is drawn afresh, and the window system given its turn, at each hundredth of its
// length: counted in rows, not in time, so that every load shows it moving whatever the speed of
// the machine, and a long load pays for at most a hundred redraws.
constexpr int kSteps = 100;

void HandWindowSystemWork()
{
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents |
                                    QEventLoop::X11ExcludeTimers);
}
} // namespace

frmLoad::frmLoad(QWidget* parent)
    : QWidget(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::MSWindowsFixedSizeDialogHint)
{
    setObjectName(QStringLiteral("frmLoad"));
    setFixedSize(312, 66);

    lblTitle = new QLabel(tr("Loading Pharvel Structure"), this);
    lblTitle->setObjectName(QStringLiteral("lblTitle"));
    lblTitle->setFont(QFont(QStringLiteral("Arial"), 9));
    lblTitle->setGeometry(8, 8, 296, 18);

    pb = new QProgressBar(this);
    pb->setObjectName(QStringLiteral("pb"));
    pb->setGeometry(8, 32, 296, 22);
    pb->setTextVisible(false);
    pb->setRange(0, 100);
    pb->setValue(0);

    WindowPlacement::CentreOnScreen(this);
}

void frmLoad::ShowPainted()
{
    show();
    // A window is drawn only once the window system has mapped it; until then a repaint goes
    // nowhere.
    QElapsedTimer waited;
    waited.start();
    const QWindow* window = windowHandle();
    while (window && !window->isExposed() && waited.elapsed() < kExposeWaitMs)
        HandWindowSystemWork();
    repaint();
    HandWindowSystemWork();
}

void frmLoad::Step()
{
    pb->setValue(pb->value() + 1);
    const qint64 span = std::max<qint64>(qint64(pb->maximum()) - pb->minimum(), 1);
    const int step = static_cast<int>((qint64(pb->value()) - pb->minimum()) * kSteps / span);
    if (step == m_drawnStep)
        return;
    m_drawnStep = step;
    pb->repaint();
    HandWindowSystemWork();
}
