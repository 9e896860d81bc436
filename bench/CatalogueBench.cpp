#include "CatalogueBench.h"

#include "BenchLogin.h"
#include "BenchTiming.h"
#include "app/StartUp.h"
#include "app/frmSplash.h"
#include "app/mdlPharvel.h"
#include "catalogue/frmPharvel.h"
#include "platform/catalog/Pharvel.h"
#include "platform/db/SQLConnection.h"
#include "platform/user/LoginDialog.h"
#include "platform/user/clsCurrentUser.h"
#include "platform/widgets/ImageList.h"
#include "platform/widgets/KeyedTree.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <algorithm>
#include <stdexcept>
#include <vector>

namespace CatalogueBench {

namespace {

using BenchTiming::Milliseconds;

// Starts VmHWM again from the present resident size, so that the peak read after a load is the
// load's and not that of an earlier figure's work (the engines run one after the other).
void ResetPeakResident()
{
    QFile clearRefs(QStringLiteral("/proc/self/clear_refs"));
    if (clearRefs.open(QIODevice::WriteOnly))
        clearRefs.write("5");
}

// VmHWM of /proc/self/status: the highest resident size the process has had.
double PeakResidentMb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
    }
    return 0;
}

// The same rows as a full load, read by one plain query and put into a bare tree widget with
// a hash from key to item: what any tree of this size costs at the least.
double Baseline(SQLConnection& connection, const ImageList& pictures, int& rows)
{
    QTreeWidget tree;
    tree.setHeaderHidden(true);
    tree.setUniformRowHeights(true);
    tree.resize(300, 500);
    tree.show();
    const QIcon classification = pictures.Icon(QStringLiteral("bookclose"));
    const QIcon generic = pictures.Icon(QStringLiteral("capsule"));
    const QIcon drug = pictures.Icon(QStringLiteral("tablet"));

    QElapsedTimer timer;
    timer.start();
    RowSet set = connection.OpenRowSet(QStringLiteral(
        "SELECT p.Node_Type, c.ClassificationName, g.genericname, d.DrugName, d.itemid, "
        "p.Node_Parent, p.Node_Key FROM inventory.tbPharvel p "
        "LEFT JOIN inventory.tbForClassification c ON p.Node_Type = '1' AND c.ClassificationID = "
        "p.Node_ID "
        "LEFT JOIN inventory.tbforgeneric g ON p.Node_Type = '2' AND g.GenericCode = p.Node_ID "
        "LEFT JOIN inventory.tbinvmaster d ON p.Node_Type = '3' AND d.itemid = p.Node_ID "
        "WHERE p.Node_Type <> '0' ORDER BY p.Node_Key"));
    QHash<QString, QTreeWidgetItem*> byKey;
    auto* root = new QTreeWidgetItem(&tree, {QStringLiteral("All Classification")});
    byKey.insert(QStringLiteral("_0"), root);
    for (set.MoveFirst(); !set.AtEnd(); set.MoveNext()) {
        QTreeWidgetItem* parent = byKey.value(set.Text(5));
        if (!parent)
            continue;
        const QString type = set.Text(0);
        const int nameColumn = type == QLatin1String("1") ? 1 : type == QLatin1String("2") ? 2 : 3;
        auto* item = new QTreeWidgetItem(parent, {set.Text(nameColumn)});
        item->setIcon(0, type == QLatin1String("1")   ? classification
                         : type == QLatin1String("2") ? generic
                                                      : drug);
        byKey.insert(set.Text(6), item);
    }
    root->setExpanded(true);
    const double elapsed = Milliseconds(timer);
    rows = set.RecordCount();
    return elapsed;
}

} // namespace

LoadFigures MeasureTreeLoads(const QString& target, const QString& userId, const QString& password)
{
    LoadFigures figures;
    const BenchMainWindow session(target, userId, password);
    frmPharvel& window = session.Window();

    // One node's children, for each top-level node that holds any.
    std::vector<double> lazy;
    const TreeNode root = window.trePharvel->Find(QStringLiteral("_0"));
    QStringList keys, texts;
    for (int i = 0; i < root.Children(); ++i) {
        keys << root.Child(i).Key();
        texts << root.Child(i).Text();
    }
    for (qsizetype i = 0; i < keys.size(); ++i) {
        QElapsedTimer timer;
        timer.start();
        const int loaded = window.LoadTreeView(keys[i], texts[i], false);
        const double elapsed = Milliseconds(timer);
        if (loaded > 0)
            lazy.push_back(elapsed);
    }
    std::sort(lazy.begin(), lazy.end());
    figures.lazyLoads = static_cast<int>(lazy.size());
    if (!lazy.empty()) {
        figures.lazyMedianMs = lazy[lazy.size() / 2];
        figures.lazyWorstMs = lazy.back();
    }

    ResetPeakResident();
    QElapsedTimer timer;
    timer.start();
    figures.rows = window.LoadTreeView(QStringLiteral("_0"),
                                       QStringLiteral("Loading Pharvel Structure..."), true);
    QCoreApplication::processEvents();
    figures.loadAllMs = Milliseconds(timer);
    figures.peakMemoryMb = PeakResidentMb();

    int baselineRows = 0;
    figures.baselineMs = Baseline(session.Connection(), *window.ilsTree, baselineRows);
    if (baselineRows != figures.rows)
        qWarning("baseline read %d rows, the load %d", baselineRows, figures.rows);
    return figures;
}

double MeasureStartUp(const QString& target, const QString& userId, const QString& password)
{
    // The login dialog is answered as soon as it is up; the clock starts with the splash, which
    // the start-up shows right after the login.
    auto* poll = new QTimer(qApp);
    poll->setInterval(5);
    QObject::connect(poll, &QTimer::timeout, poll, [=] {
        auto* dialog = qobject_cast<Corvida_User::LoginDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        poll->deleteLater();
        dialog->txtServer->setText(target);
        dialog->txtUserId->setText(userId);
        dialog->txtPassword->setText(password);
        dialog->cmdOK->click();
    });
    poll->start();

    struct SplashClock : QObject
    {
        QElapsedTimer timer;
        bool eventFilter(QObject* watched, QEvent* event) override
        {
            if (!timer.isValid() && event->type() == QEvent::Show &&
                qobject_cast<frmSplash*>(watched))
                timer.start();
            return false;
        }
    } clock;
    qApp->installEventFilter(&clock);
    mdlPharvel::Main();
    QCoreApplication::processEvents();
    const double elapsed = clock.timer.isValid() ? Milliseconds(clock.timer) : -1;
    qApp->removeEventFilter(&clock);

    if (!mdlPharvel::MainWindow)
        throw std::runtime_error("the start-up did not open the main window");
    delete mdlPharvel::MainWindow.data();
    mdlPharvel::ReleaseComponents();
    return elapsed;
}

} // namespace CatalogueBench
