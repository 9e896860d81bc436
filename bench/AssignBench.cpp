#include "AssignBench.h"

#include "BenchTiming.h"
#include "assign/GridPair.h"
#include "assign/frmDrugList.h"
#include "platform/catalog/Pharvel.h"
#include "platform/db/SQLConnection.h"
#include "platform/user/AccountStore.h"
#include "platform/user/clsCurrentUser.h"
#include "platform/widgets/FlexGrid.h"
#include "platform/widgets/KeyedTree.h"
#include "platform/widgets/MsgBox.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLineEdit>
#include <QRadioButton>
#include <algorithm>
#include <stdexcept>
#include <vector>

namespace AssignBench {

namespace {

using BenchTiming::Median;
using BenchTiming::Milliseconds;

// The drugs with the generic name each is filed under, as plainly as SQL gives them.
const QString kBareDrugs =
    QStringLiteral("SELECT d.DrugName, d.Description, g.genericname, d.itemid, p.Node_Key "
                   "FROM inventory.tbinvmaster d "
                   "LEFT JOIN inventory.tbPharvel p ON p.Node_Type = '3' AND p.Node_ID = d.itemid "
                   "LEFT JOIN inventory.tbPharvel gp ON gp.Node_Key = p.Node_Parent "
                   "LEFT JOIN inventory.tbforgeneric g ON g.GenericCode = gp.Node_ID ");

double BareQuery(SQLConnection& connection, const QString& condition, const QVariantList& values)
{
    QElapsedTimer timer;
    timer.start();
    const RowSet rows = connection.OpenRowSet(
        kBareDrugs + condition + QStringLiteral(" ORDER BY d.DrugName"), values);
    return Milliseconds(timer);
}

QVariantList Matching(int genericId, const QString& text)
{
    return {genericId, QLatin1Char('%') + text + QLatin1Char('%'),
            QLatin1Char('%') + text + QLatin1Char('%')};
}

const QString kOthersMatching =
    QStringLiteral("WHERE (gp.Node_ID IS NULL OR gp.Node_ID <> ?) AND "
                   "(upper(d.DrugName) LIKE ? OR upper(d.Description) LIKE ?)");
const QString kUnderMatching =
    QStringLiteral("WHERE gp.Node_ID = ? AND "
                   "(upper(d.DrugName) LIKE ? OR upper(d.Description) LIKE ?)");

// The main window's tree with every node of the catalogue, as after "Load All".
void LoadWholeTree(ClassPharvel::Pharvel& pharvel, KeyedTree& tree)
{
    tree.Add(QString(), QStringLiteral("_0"), QStringLiteral("All Classification"));
    RowSet rows = pharvel.LoadClassifications(QStringLiteral("_0"), true);
    for (; !rows.AtEnd(); rows.MoveNext()) {
        const QString type = rows.Text(QStringLiteral("node_type"));
        const QString name =
            rows.Text(type == QLatin1String("1")   ? QStringLiteral("ClassificationName")
                      : type == QLatin1String("2") ? QStringLiteral("GenericName")
                                                   : QStringLiteral("DrugName"));
        tree.Add(rows.Text(QStringLiteral("Node_Parent")), rows.Text(QStringLiteral("Node_Key")),
                 name);
    }
}

// The letters typed into a search box, each a reload.
QList<int> Keystrokes()
{
    return {Qt::Key_A,         Qt::Key_M,         Qt::Key_Backspace, Qt::Key_Backspace,
            Qt::Key_D,         Qt::Key_R,         Qt::Key_U,         Qt::Key_G,
            Qt::Key_Backspace, Qt::Key_Backspace, Qt::Key_Backspace, Qt::Key_Backspace};
}

void Type(QLineEdit* box, FlexGrid* grid, int key, std::vector<double>& times)
{
    const QString text = key == Qt::Key_Backspace ? QString() : QString(QChar(key).toLower());
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QElapsedTimer timer;
    timer.start();
    QApplication::sendEvent(box, &press);
    grid->viewport()->repaint();
    times.push_back(Milliseconds(timer));
}

} // namespace

DrugWindowFigures MeasureDrugWindow(const QString& target, const QString& userId,
                                    const QString& password, int drugsToAdd)
{
    auto connection = SQLConnection::Open(target);
    Corvida_User::clsCurrentUser user;
    user.SetPasswordDeptCode(AccountStore::kPharmacyDeptCode);
    user.Login(target, userId, password);
    ClassPharvel::Pharvel pharvel;
    if (!pharvel.Connect(user.connectionstr()))
        throw std::runtime_error(qPrintable(pharvel.LastError()));
    KeyedTree tree;
    LoadWholeTree(pharvel, tree);

    // The generic name the window is opened for: the first in the tree.
    RowSet generic = connection->OpenRowSet(
        QStringLiteral("SELECT Node_Key, Node_ID FROM inventory.tbPharvel WHERE Node_Type = '2' "
                       "ORDER BY Node_Key"));
    const QString genericKey = generic.Text(0);
    const int genericId = generic.Value(1).toInt();
    TreeNode genericNode = tree.Find(genericKey);
    tree.setCurrentItem(genericNode.Item());
    genericNode.SetSelected(true);

    DrugWindowFigures figures;
    figures.drugs =
        connection->Scalar(QStringLiteral("SELECT count(*) FROM inventory.tbinvmaster")).toInt();
    frmDrugList form(pharvel);
    form.SetGenericID(static_cast<qint16>(genericId));
    form.SetGenericName(QStringLiteral("Bench"));
    form.SetTreList(&tree);

    QElapsedTimer timer;
    timer.start();
    form.show();
    form.repaint();
    figures.openMs = Milliseconds(timer);
    figures.leftRows = form.flexMSHList1->Rows() - 1;
    figures.openBaselineMs = BareQuery(*connection, kOthersMatching, Matching(genericId, {})) +
                             BareQuery(*connection, kUnderMatching, Matching(genericId, {}));
    QApplication::processEvents();

    std::vector<double> left, leftBare, leftComponent, right, rightBare;
    for (int round = 0; round < 2; ++round) {
        for (int key : Keystrokes()) {
            Type(form.txtSearch1, form.flexMSHList1, key, left);
            leftBare.push_back(BareQuery(*connection, kOthersMatching,
                                         Matching(genericId, form.txtSearch1->text())));
            timer.restart();
            const RowSet others = pharvel.Generics().OtherDrugs(
                genericId, 1, form.txtSearch1->text(), frmDrugList::FilterAll);
            leftComponent.push_back(Milliseconds(timer));
            Type(form.txtSearch2, form.flexMSHList2, key, right);
            rightBare.push_back(BareQuery(*connection, kUnderMatching,
                                          Matching(genericId, form.txtSearch2->text())));
        }
    }
    figures.keystroke1Ms = Median(left);
    figures.keystroke1WorstMs = *std::max_element(left.begin(), left.end());
    figures.keystroke1BaselineMs = Median(leftBare);
    figures.keystroke1ComponentMs = Median(leftComponent);
    figures.keystroke2Ms = Median(right);
    figures.keystroke2BaselineMs = Median(rightBare);

    std::vector<double> filters, filtersBare;
    const QString conditions[] = {QStringLiteral(" AND p.Node_Key IS NULL"),
                                  QStringLiteral(" AND gp.Node_ID IS NOT NULL"), QString()};
    for (int round = 0; round < 2; ++round) {
        int n = 0;
        for (QRadioButton* option : {form.optUnClassified, form.optClassified, form.optAll}) {
            timer.restart();
            option->click();
            form.flexMSHList1->viewport()->repaint();
            filters.push_back(Milliseconds(timer));
            filtersBare.push_back(
                BareQuery(*connection, kOthersMatching + conditions[n++], Matching(genericId, {})));
        }
    }
    figures.filterMs = Median(filters);
    figures.filterBaselineMs = Median(filtersBare);

    // Tick the first drugs of the left grid with the space key and file them all, each asked
    // about as it belongs to another generic name.
    GridPair& grids = form.Grids();
    const int rows = std::min(drugsToAdd, form.flexMSHList1->Rows() - 1);
    for (int row = 1; row <= rows; ++row) {
        form.flexMSHList1->SetRow(row);
        grids.flexMSHList_KeyDown(1, Qt::Key_Space);
    }
    const int before = genericNode.Children();
    ScopedMsgBoxHandler yes([](const MsgBox::Message&) { return MsgBox::Answer::Yes; });
    timer.restart();
    form.cmdAdd_Click();
    form.repaint();
    figures.addMs = Milliseconds(timer);
    figures.moved = genericNode.Children() - before;
    timer.restart();
    form.LoadDrugList(1, QString());
    form.LoadDrugList(2, QString());
    form.repaint();
    figures.reloadMs = Milliseconds(timer);
    form.close();
    return figures;
}

} // namespace AssignBench
