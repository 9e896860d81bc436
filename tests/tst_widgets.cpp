#include "platform/widgets/CheckListImages.h"
#include "platform/widgets/ErrorHandler.h"
#include "platform/widgets/ImageList.h"
#include "platform/widgets/KeyedTree.h"
#include "platform/widgets/MsgBox.h"
#include "platform/widgets/Twips.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <memory>
#include <stdexcept>
#include <vector>

namespace {

// Every message the code under test shows, answered with a fixed button.
struct MessageLog
{
    explicit MessageLog(MsgBox::Answer answer = MsgBox::Answer::Ok)
        : handler([this, answer](const MsgBox::Message& message) {
              messages.push_back(message);
              return answer;
          })
    {
    }

    std::vector<MsgBox::Message> messages;
    ScopedMsgBoxHandler handler;
};

QPixmap filled(QColor colour)
{
    QPixmap picture(18, 18);
    picture.fill(colour);
    return picture;
}

QColor iconColour(const QTreeWidgetItem* item)
{
    const QIcon icon = item->icon(0);
    if (icon.isNull())
        return {};
    return icon.pixmap(QSize(18, 18)).toImage().pixelColor(9, 9);
}

// The catalogue's shape in miniature: root, two classifications, a generic name, a drug.
void addSampleNodes(KeyedTree& tree)
{
    tree.Add({}, QStringLiteral("_0"), QStringLiteral("All Classification"),
             QStringLiteral("smile"));
    tree.Add(QStringLiteral("_0"), QStringLiteral("_1"), QStringLiteral("Analgesics"),
             QStringLiteral("bookclose"));
    tree.Add(QStringLiteral("_1"), QStringLiteral("_1.1"), QStringLiteral("Paracetamol"),
             QStringLiteral("capsule"));
    tree.Add(QStringLiteral("_1.1"), QStringLiteral("_1.1.1"), QStringLiteral("Panadol 500"),
             QStringLiteral("tablet"));
    tree.Add(QStringLiteral("_0"), QStringLiteral("_2"), QStringLiteral("Antibiotics"),
             QStringLiteral("bookclose"));
}

template <class F>
PharvelError raisedBy(F&& f)
{
    try {
        f();
    } catch (const PharvelError& error) {
        return error;
    }
    return PharvelError(0, QStringLiteral("nothing raised"), {});
}

class Handlers : public QObject
{
public:
    void Fail() { throw PharvelError(91, QStringLiteral("Object not set"), QStringLiteral("frmX.Fail")); }
    void Toggled(bool checked)
    {
        seen.push_back(checked);
        throw std::runtime_error("toolkit failure");
    }
    std::vector<bool> seen;
};

} // namespace

class tst_Widgets : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();

    void msgBox_handlerSeesMessageAndAnswers();
    void msgBox_scopedHandlerRestoresPrevious();
    void guarded_turnsErrorsIntoCriticalBox();
    void connectGuarded_reportsAndCarriesOn();

    void twips_data();
    void twips();
    void twipsRect();

    void imageList_keysAndIndexes();
    void checkListImages_tickedDiffersFromEmpty();

    void tree_addAsChildOfKey();
    void tree_refusesDuplicateAndMissingParent();
    void tree_removeTakesSubtree();
    void tree_clearForgetsKeys();
    void tree_expandedImageWhileExpanded();
    void tree_tag();
    void tree_labelEdit();
    void tree_mouseAndKeyEvents();
};

void tst_Widgets::cleanup()
{
    QCOMPARE(QApplication::topLevelWidgets().size(), 0);
}

void tst_Widgets::msgBox_handlerSeesMessageAndAnswers()
{
    MessageLog log(MsgBox::Answer::No);
    QCOMPARE(MsgBox::Show(QStringLiteral("Delete it?"), MsgBox::Icon::Question,
                          MsgBox::Buttons::YesNo),
             MsgBox::Answer::No);
    MsgBox::Show(QStringLiteral("Done"), MsgBox::Icon::Exclamation, MsgBox::Buttons::OKCancel,
                 QStringLiteral("Find"));
    MsgBox::Show(QStringLiteral("Plain"));

    QCOMPARE(int(log.messages.size()), 3);
    QCOMPARE(log.messages[0].text, QStringLiteral("Delete it?"));
    QCOMPARE(log.messages[0].icon, MsgBox::Icon::Question);
    QCOMPARE(log.messages[0].buttons, MsgBox::Buttons::YesNo);
    QCOMPARE(log.messages[0].title, QStringLiteral("prjPharvel"));
    QCOMPARE(log.messages[1].title, QStringLiteral("Find"));
    QCOMPARE(log.messages[1].icon, MsgBox::Icon::Exclamation);
    QCOMPARE(log.messages[2].icon, MsgBox::Icon::Information);
    QCOMPARE(log.messages[2].buttons, MsgBox::Buttons::OK);
}

void tst_Widgets::msgBox_scopedHandlerRestoresPrevious()
{
    MessageLog outer;
    {
        MessageLog inner(MsgBox::Answer::Retry);
        QCOMPARE(MsgBox::Show(QStringLiteral("inner")), MsgBox::Answer::Retry);
        QCOMPARE(int(inner.messages.size()), 1);
    }
    QCOMPARE(MsgBox::Show(QStringLiteral("outer")), MsgBox::Answer::Ok);
    QCOMPARE(int(outer.messages.size()), 1);
    QCOMPARE(outer.messages[0].text, QStringLiteral("outer"));
}

void tst_Widgets::guarded_turnsErrorsIntoCriticalBox()
{
    MessageLog log;
    bool ran = false;
    Guarded([&] { ran = true; });
    QVERIFY(ran);
    QVERIFY(log.messages.empty());

    Guarded([] {
        throw PharvelError(3265, QStringLiteral("Item cannot be found"),
                           QStringLiteral("frmPharvel.NodeFound"));
    });
    QCOMPARE(int(log.messages.size()), 1);
    const MsgBox::Message& box = log.messages[0];
    QCOMPARE(box.icon, MsgBox::Icon::Critical);
    QCOMPARE(box.buttons, MsgBox::Buttons::OK);
    QCOMPARE(box.title, QStringLiteral("prjPharvel"));
    QCOMPARE(box.text, QStringLiteral("Item cannot be found\n\nSource: frmPharvel.NodeFound"));

    Guarded([] { throw std::runtime_error("bad_alloc somewhere"); });
    Guarded([] { throw 42; });
    QCOMPARE(int(log.messages.size()), 3);
    QVERIFY(log.messages[1].text.contains(QStringLiteral("bad_alloc somewhere")));
    QCOMPARE(log.messages[1].icon, MsgBox::Icon::Critical);
    QCOMPARE(log.messages[2].icon, MsgBox::Icon::Critical);
    QVERIFY(!log.messages[2].text.isEmpty());
}

void tst_Widgets::connectGuarded_reportsAndCarriesOn()
{
    MessageLog log;
    QPushButton button;
    button.setCheckable(true);
    Handlers handlers;
    connectGuarded(&button, &QPushButton::clicked, &handlers, &Handlers::Fail);
    connectGuarded(&button, &QPushButton::toggled, &handlers, &Handlers::Toggled);

    button.click();
    button.click();
    // Each click reports both failures, and the second click still reaches both handlers.
    QCOMPARE(int(log.messages.size()), 4);
    QCOMPARE(handlers.seen, (std::vector<bool>{true, false}));
    QVERIFY(log.messages[0].text.contains(QStringLiteral("Source: frmX.Fail")) ||
            log.messages[1].text.contains(QStringLiteral("Source: frmX.Fail")));
}

void tst_Widgets::twips_data()
{
    QTest::addColumn<qreal>("dpi");
    QTest::addColumn<int>("twips");
    QTest::addColumn<int>("pixels");
    QTest::addColumn<int>("backToTwips");

    QTest::newRow("96 dpi, one pixel") << 96.0 << 15 << 1 << 15;
    QTest::newRow("96 dpi, one inch") << 96.0 << 1440 << 96 << 1440;
    QTest::newRow("96 dpi, rounds to nearest") << 96.0 << 22 << 1 << 15;
    QTest::newRow("96 dpi, half rounds up") << 96.0 << 23 << 2 << 30;
    QTest::newRow("96 dpi, zero") << 96.0 << 0 << 0 << 0;
    QTest::newRow("192 dpi, one inch") << 192.0 << 1440 << 192 << 1440;
    QTest::newRow("192 dpi, 15 twips") << 192.0 << 15 << 2 << 15;
    QTest::newRow("192 dpi, window width") << 192.0 << 9600 << 1280 << 9600;
}

void tst_Widgets::twips()
{
    QFETCH(qreal, dpi);
    QFETCH(int, twips);
    QFETCH(int, pixels);
    QFETCH(int, backToTwips);
    QCOMPARE(Twips::ToPixels(twips, dpi), pixels);
    QCOMPARE(Twips::FromPixels(pixels, dpi), backToTwips);
}

void tst_Widgets::twipsRect()
{
    QCOMPARE(Twips::PerPixel(96.0), 15.0);
    QCOMPARE(Twips::PerPixel(192.0), 7.5);
    QCOMPARE(TwipsRect(150, 300, 1500, 3000, 96.0), QRect(10, 20, 100, 200));
    QCOMPARE(TwipsRect(150, 300, 1500, 3000, 192.0), QRect(20, 40, 200, 400));
    QWidget widget;
    QCOMPARE(TwipsRect(150, 300, 1500, 3000, &widget),
             TwipsRect(150, 300, 1500, 3000, Twips::LogicalDpi(&widget)));
}

void tst_Widgets::imageList_keysAndIndexes()
{
    ImageList images(QSize(18, 18));
    images.Add(QStringLiteral("smile"), filled(Qt::yellow));
    images.Add({}, filled(Qt::red));
    images.Add(QStringLiteral("tablet"), filled(Qt::blue));
    QCOMPARE(images.Count(), 3);
    QCOMPARE(images.Picture(1).toImage().pixelColor(0, 0), QColor(Qt::yellow));
    QCOMPARE(images.Picture(2).toImage().pixelColor(0, 0), QColor(Qt::red));
    QCOMPARE(images.Picture(QStringLiteral("tablet")).toImage().pixelColor(0, 0),
             QColor(Qt::blue));
    QVERIFY(images.Picture(0).isNull());
    QVERIFY(images.Picture(4).isNull());
    QVERIFY(images.Picture(QStringLiteral("capsule")).isNull());
    QVERIFY(images.Picture(QString()).isNull());
    QVERIFY(images.Icon(QStringLiteral("capsule")).isNull());

    const PharvelError error = raisedBy([&] { images.Add(QStringLiteral("smile"), filled(Qt::green)); });
    QCOMPARE(error.Number(), ErrorNumber::KeyNotUnique);
    QCOMPARE(images.Count(), 3);
    images.Add({}, filled(Qt::green)); // pictures reached by index alone may be many
    QCOMPARE(images.Count(), 4);
}

void tst_Widgets::checkListImages_tickedDiffersFromEmpty()
{
    CheckListImages images;
    QCOMPARE(images.Count(), 2);
    QCOMPARE(images.ImageSize(), QSize(14, 14));
    const QImage ticked = images.Picture(CheckListImages::Ticked).toImage();
    const QImage empty = images.Picture(CheckListImages::Empty).toImage();
    QCOMPARE(ticked.deviceIndependentSize().toSize(), QSize(14, 14));
    QCOMPARE(empty.deviceIndependentSize().toSize(), QSize(14, 14));
    QVERIFY(ticked != empty);
    // The middle of the empty box is white; the tick passes through the ticked one.
    const QPoint middle(ticked.width() * 6 / 14, ticked.height() * 9 / 14);
    QCOMPARE(empty.pixelColor(middle), QColor(Qt::white));
    QVERIFY(ticked.pixelColor(middle).lightness() < 128);
}

void tst_Widgets::tree_addAsChildOfKey()
{
    KeyedTree tree;
    addSampleNodes(tree);
    QCOMPARE(tree.Count(), 5);
    QCOMPARE(tree.topLevelItemCount(), 1);

    const TreeNode root = tree.Find(QStringLiteral("_0"));
    QVERIFY(root);
    QVERIFY(!root.Parent());
    QCOMPARE(root.Children(), 2);
    QCOMPARE(root.Child(0).Key(), QStringLiteral("_1"));
    QCOMPARE(root.Child(1).Key(), QStringLiteral("_2"));
    QVERIFY(!root.Child(2));

    const TreeNode drug = tree.Find(QStringLiteral("_1.1.1"));
    QCOMPARE(drug.Text(), QStringLiteral("Panadol 500"));
    QCOMPARE(drug.Image(), QStringLiteral("tablet"));
    QCOMPARE(drug.Parent().Key(), QStringLiteral("_1.1"));
    QCOMPARE(drug.Parent().Parent(), tree.Find(QStringLiteral("_1")));

    // The node collection counts from 1 in the order of adding, not the tree's order.
    QCOMPARE(tree.NodeAt(1), root);
    QCOMPARE(tree.NodeAt(5).Key(), QStringLiteral("_2"));
    QCOMPARE(tree.NodeAt(5).Index(), 5);
    QVERIFY(!tree.NodeAt(0));
    QVERIFY(!tree.NodeAt(6));

    QVERIFY(!tree.Find(QStringLiteral("_9")));
    QVERIFY(!tree.Exists(QStringLiteral("_9")));
    QVERIFY(tree.Exists(QStringLiteral("_1.1")));
    // Keys are compared exactly.
    QVERIFY(!tree.Exists(QStringLiteral(" _1")));
}

void tst_Widgets::tree_refusesDuplicateAndMissingParent()
{
    KeyedTree tree;
    addSampleNodes(tree);

    const PharvelError duplicate = raisedBy(
        [&] { tree.Add(QStringLiteral("_2"), QStringLiteral("_1.1"), QStringLiteral("Again")); });
    QCOMPARE(duplicate.Number(), ErrorNumber::KeyNotUnique);
    QCOMPARE(duplicate.Description(), QStringLiteral("Key is not unique in collection"));

    const PharvelError orphan = raisedBy(
        [&] { tree.Add(QStringLiteral("_7"), QStringLiteral("_7.1"), QStringLiteral("Lost")); });
    QCOMPARE(orphan.Number(), ErrorNumber::ElementNotFound);
    QCOMPARE(orphan.Description(), QStringLiteral("Element not found"));

    const PharvelError missing = raisedBy([&] { tree.Remove(QStringLiteral("_7")); });
    QCOMPARE(missing.Number(), ErrorNumber::ElementNotFound);

    // A refused node leaves no trace.
    QCOMPARE(tree.Count(), 5);
    QCOMPARE(tree.Find(QStringLiteral("_2")).Children(), 0);
    QCOMPARE(tree.Find(QStringLiteral("_1.1")).Text(), QStringLiteral("Paracetamol"));
    QVERIFY(!tree.Exists(QStringLiteral("_7.1")));
}

void tst_Widgets::tree_removeTakesSubtree()
{
    KeyedTree tree;
    addSampleNodes(tree);
    tree.Find(QStringLiteral("_1.1.1")).SetSelected(true);

    tree.Remove(QStringLiteral("_1"));
    QCOMPARE(tree.Count(), 2);
    for (const char* gone : {"_1", "_1.1", "_1.1.1"})
        QVERIFY2(!tree.Exists(QString::fromLatin1(gone)), gone);
    QCOMPARE(tree.NodeAt(2).Key(), QStringLiteral("_2"));
    QCOMPARE(tree.Find(QStringLiteral("_0")).Children(), 1);
    QVERIFY(!tree.SelectedItem() || tree.SelectedItem().Key() != QStringLiteral("_1.1.1"));

    // The keys are free again.
    tree.Add(QStringLiteral("_2"), QStringLiteral("_1.1"), QStringLiteral("Moved"));
    QCOMPARE(tree.Find(QStringLiteral("_1.1")).Parent().Key(), QStringLiteral("_2"));
    QCOMPARE(tree.NodeAt(3).Key(), QStringLiteral("_1.1"));

    tree.Remove(QStringLiteral("_1.1"));
    QCOMPARE(tree.Find(QStringLiteral("_2")).Children(), 0);
    QCOMPARE(tree.Count(), 2);
}

void tst_Widgets::tree_clearForgetsKeys()
{
    KeyedTree tree;
    addSampleNodes(tree);
    tree.Clear();
    QCOMPARE(tree.Count(), 0);
    QCOMPARE(tree.topLevelItemCount(), 0);
    QVERIFY(!tree.Exists(QStringLiteral("_1")));
    addSampleNodes(tree);
    QCOMPARE(tree.Count(), 5);
}

void tst_Widgets::tree_expandedImageWhileExpanded()
{
    ImageList ilsTree(QSize(18, 18));
    ilsTree.Add(QStringLiteral("smile"), filled(Qt::yellow));
    ilsTree.Add(QStringLiteral("bookclose"), filled(Qt::red));
    ilsTree.Add(QStringLiteral("bookopen"), filled(Qt::green));
    ilsTree.Add(QStringLiteral("capsule"), filled(Qt::blue));
    ilsTree.Add(QStringLiteral("tablet"), filled(Qt::magenta));

    KeyedTree tree;
    addSampleNodes(tree);
    // The list may come after the nodes: the window attaches it when it loads.
    tree.SetImageList(&ilsTree);
    QCOMPARE(tree.iconSize(), QSize(18, 18));

    TreeNode classification = tree.Find(QStringLiteral("_1"));
    classification.SetExpandedImage(QStringLiteral("bookopen"));
    QCOMPARE(iconColour(classification.Item()), QColor(Qt::red));

    QSignalSpy collapsed(&tree, &KeyedTree::Collapse);
    classification.SetExpanded(true);
    QVERIFY(classification.Expanded());
    QCOMPARE(iconColour(classification.Item()), QColor(Qt::green));
    QCOMPARE(classification.Image(), QStringLiteral("bookclose"));
    QCOMPARE(classification.ExpandedImage(), QStringLiteral("bookopen"));

    // A node without an expanded image keeps its image when opened.
    TreeNode generic = tree.Find(QStringLiteral("_1.1"));
    generic.SetExpanded(true);
    QCOMPARE(iconColour(generic.Item()), QColor(Qt::blue));

    classification.SetExpanded(false);
    QCOMPARE(iconColour(classification.Item()), QColor(Qt::red));
    QCOMPARE(collapsed.size(), 1);
    QCOMPARE(collapsed.at(0).at(0).value<TreeNode>(), classification);

    // An image key the list does not hold shows no picture; a node added later shows its own.
    tree.Find(QStringLiteral("_2")).SetImage(QStringLiteral("nothing"));
    QVERIFY(!iconColour(tree.Find(QStringLiteral("_2")).Item()).isValid());
    const TreeNode late = tree.Add(QStringLiteral("_2"), QStringLiteral("_2.1"),
                                   QStringLiteral("Amoxicillin"), QStringLiteral("capsule"));
    QCOMPARE(iconColour(late.Item()), QColor(Qt::blue));
}

void tst_Widgets::tree_tag()
{
    KeyedTree tree;
    addSampleNodes(tree);
    TreeNode drug = tree.Find(QStringLiteral("_1.1.1"));
    QVERIFY(drug.Tag().isEmpty());
    drug.SetTag(QStringLiteral("10452"));
    QCOMPARE(tree.Find(QStringLiteral("_1.1.1")).Tag(), QStringLiteral("10452"));
    QVERIFY(tree.Find(QStringLiteral("_1.1")).Tag().isEmpty());
}

void tst_Widgets::tree_labelEdit()
{
    KeyedTree tree;
    addSampleNodes(tree);
    tree.resize(300, 300);
    tree.show();
    QVERIFY(QTest::qWaitForWindowExposed(&tree));
    TreeNode node = tree.Find(QStringLiteral("_2"));
    node.EnsureVisible();

    bool cancelBefore = true;
    QString replacement;
    bool cancelAfter = false;
    QStringList typed;
    connect(&tree, &KeyedTree::BeforeLabelEdit, &tree, [&](bool& cancel) { cancel = cancelBefore; });
    connect(&tree, &KeyedTree::AfterLabelEdit, &tree, [&](bool& cancel, QString& newString) {
        typed << newString;
        if (!replacement.isEmpty())
            newString = replacement;
        cancel = cancelAfter;
    });
    const auto typeLabel = [&](const QString& text) {
        auto* editor = tree.viewport()->findChild<QLineEdit*>();
        QVERIFY(editor);
        editor->selectAll();
        QTest::keyClicks(editor, text);
        QTest::keyClick(editor, Qt::Key_Return);
        QTRY_COMPARE(tree.state(), QAbstractItemView::NoState);
    };

    tree.StartLabelEdit(node);
    QVERIFY(tree.state() != QAbstractItemView::EditingState);

    cancelBefore = false;
    tree.StartLabelEdit(node);
    QCOMPARE(tree.state(), QAbstractItemView::EditingState);
    typeLabel(QStringLiteral("Antibacterials"));
    QCOMPARE(typed, QStringList{QStringLiteral("Antibacterials")});
    QCOMPARE(node.Text(), QStringLiteral("Antibacterials"));

    replacement = QStringLiteral("ANTIBACTERIALS");
    tree.StartLabelEdit(node);
    typeLabel(QStringLiteral("anti"));
    QCOMPARE(node.Text(), QStringLiteral("ANTIBACTERIALS"));

    cancelAfter = true;
    tree.StartLabelEdit(node);
    typeLabel(QStringLiteral("thrown away"));
    QCOMPARE(node.Text(), QStringLiteral("ANTIBACTERIALS"));
    QCOMPARE(typed.size(), 3);
}

void tst_Widgets::tree_mouseAndKeyEvents()
{
    KeyedTree tree;
    addSampleNodes(tree);
    tree.resize(300, 300);
    tree.show();
    QVERIFY(QTest::qWaitForWindowExposed(&tree));
    tree.Find(QStringLiteral("_0")).SetExpanded(true);

    QSignalSpy nodeClicks(&tree, &KeyedTree::NodeClick);
    QSignalSpy clicks(&tree, &KeyedTree::Click);
    QSignalSpy mouseDowns(&tree, &KeyedTree::MouseDown);
    QSignalSpy keyDowns(&tree, &KeyedTree::KeyDown);

    const TreeNode classification = tree.Find(QStringLiteral("_1"));
    const QRect rect = tree.visualItemRect(classification.Item());
    QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, rect.center());
    QCOMPARE(nodeClicks.size(), 1);
    QCOMPARE(nodeClicks.at(0).at(0).value<TreeNode>(), classification);
    QCOMPARE(clicks.size(), 1);
    QCOMPARE(mouseDowns.size(), 1);
    QCOMPARE(mouseDowns.at(0).at(0).value<Qt::MouseButton>(), Qt::LeftButton);
    QCOMPARE(tree.SelectedItem(), classification);
    QCOMPARE(tree.HitTest(rect.center()), classification);

    // A click on the expand sign opens the node without clicking it.
    QTest::mouseClick(tree.viewport(), Qt::LeftButton, {},
                      QPoint(rect.left() - tree.indentation() / 2, rect.center().y()));
    QCOMPARE(nodeClicks.size(), 1);
    QCOMPARE(clicks.size(), 2);

    tree.setFocus();
    QTest::keyClick(&tree, Qt::Key_Down);
    QCOMPARE(keyDowns.size(), 1);
    QCOMPARE(keyDowns.at(0).at(0).toInt(), int(Qt::Key_Down));
    QCOMPARE(nodeClicks.size(), 2);
    QVERIFY(!(nodeClicks.at(1).at(0).value<TreeNode>() == classification));
}

QTEST_MAIN(tst_Widgets)
#include "tst_widgets.moc"
