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

#include <stdexcept>

namespace {

QPixmap solid(QColor color)
{
    QPixmap picture(18, 18);
    picture.fill(color);
    return picture;
}

QImage shown(const QTreeWidgetItem* item)
{
    return item->icon(0).pixmap(18, 18).toImage().convertToFormat(QImage::Format_RGB32);
}

QImage expected(QColor color)
{
    return solid(color).toImage().convertToFormat(QImage::Format_RGB32);
}

// The receiver of guarded connections: one handler that fails, one that takes the signal's value.
class Receiver : public QObject
{
public:
    void Fail() { throw PharvelError(7, QStringLiteral("broken"), QStringLiteral("frmTest.Fail")); }
    void Toggled(bool checked) { lastChecked = checked; }
    bool lastChecked = false;
};

} // namespace

// The message-box seam, the top-level error handler, twips and the keyed tree.
class tst_widgets : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();
    void msgBoxHandlerSeesEveryPartAndAnswers();
    void escapedErrorsBecomeCriticalBoxes();
    void guardedConnectionsSurviveThrowingHandlers();
    void twipsFollowTheScreenDpi();
    void treeAddsFindsAndNumbersNodes();
    void treeRefusesDuplicateKeysAndMissingParents();
    void treeRemovesWholeSubtrees();
    void treeShowsExpandedImageWhileExpanded();
    void labelEditCanBeRefusedOrChanged();
    void labelEditRestartedFromAfterLabelEdit();
    void treeMouseAndKeyEvents();
    void treeTakesThirtyTwoThousandNodes();
};

void tst_widgets::cleanup()
{
    QVERIFY(QApplication::topLevelWidgets().isEmpty());
}

void tst_widgets::msgBoxHandlerSeesEveryPartAndAnswers()
{
    QList<MsgBox::Message> seen;
    {
        ScopedMsgBoxHandler outer([&](const MsgBox::Message& m) {
            seen.append(m);
            return MsgBox::Answer::No;
        });
        QCOMPARE(MsgBox::Show(QStringLiteral("Are you sure?"), MsgBox::Icon::Question,
                              MsgBox::Buttons::YesNo),
                 MsgBox::Answer::No);
        {
            ScopedMsgBoxHandler inner([](const MsgBox::Message&) { return MsgBox::Answer::Retry; });
            QCOMPARE(MsgBox::Show(QStringLiteral("x")), MsgBox::Answer::Retry);
        }
        // The outer handler is back once the inner guard has gone.
        QCOMPARE(MsgBox::Show(QStringLiteral("Saved."), MsgBox::Icon::Exclamation,
                              MsgBox::Buttons::OKCancel, QStringLiteral("Message")),
                 MsgBox::Answer::No);
    }
    QCOMPARE(seen.size(), 2);
    QCOMPARE(seen[0].text, QStringLiteral("Are you sure?"));
    QCOMPARE(seen[0].icon, MsgBox::Icon::Question);
    QCOMPARE(seen[0].buttons, MsgBox::Buttons::YesNo);
    QCOMPARE(seen[0].title, QStringLiteral("prjPharvel"));
    QCOMPARE(seen[1].icon, MsgBox::Icon::Exclamation);
    QCOMPARE(seen[1].buttons, MsgBox::Buttons::OKCancel);
    QCOMPARE(seen[1].title, QStringLiteral("Message"));
}

void tst_widgets::escapedErrorsBecomeCriticalBoxes()
{
    QList<MsgBox::Message> seen;
    ScopedMsgBoxHandler guard([&](const MsgBox::Message& m) {
        seen.append(m);
        return MsgBox::Answer::Ok;
    });

    bool after = false;
    Guarded([] {
        throw PharvelError(ErrorNumber::ConnectionFailed, QStringLiteral("server gone"),
                           QStringLiteral("frmPharvel.NodeFound"));
    });
    Guarded([] { throw std::runtime_error("bad allocation of things"); });
    Guarded([] { throw 42; });
    Guarded([&] { after = true; });

    QVERIFY(after);
    QCOMPARE(seen.size(), 3);
    for (const MsgBox::Message& m : seen) {
        QCOMPARE(m.icon, MsgBox::Icon::Critical);
        QCOMPARE(m.buttons, MsgBox::Buttons::OK);
        QCOMPARE(m.title, QStringLiteral("prjPharvel"));
    }
    QCOMPARE(seen[0].text, QStringLiteral("server gone\n\nSource: frmPharvel.NodeFound"));
    QVERIFY(seen[1].text.startsWith(QStringLiteral("bad allocation of things\n\nSource: ")));
    QVERIFY(!seen[2].text.isEmpty());
}

void tst_widgets::guardedConnectionsSurviveThrowingHandlers()
{
    QStringList texts;
    ScopedMsgBoxHandler guard([&](const MsgBox::Message& m) {
        texts.append(m.text);
        return MsgBox::Answer::Ok;
    });
    QPushButton button;
    button.setCheckable(true);
    Receiver receiver;
    connectGuarded(&button, &QPushButton::clicked, &receiver, &Receiver::Fail);
    connectGuarded(&button, &QPushButton::toggled, &receiver, &Receiver::Toggled);

    button.click();
    QCOMPARE(texts, QStringList{QStringLiteral("broken\n\nSource: frmTest.Fail")});
    QVERIFY(receiver.lastChecked);
    button.click();
    QCOMPARE(texts.size(), 2);
    QVERIFY(!receiver.lastChecked);
}

void tst_widgets::twipsFollowTheScreenDpi()
{
    QCOMPARE(Twips::PerPixel(96), 15.0);
    QCOMPARE(Twips::PerPixel(192), 7.5);
    QCOMPARE(Twips::ToPixels(11880, 96.0), 792);
    QCOMPARE(Twips::ToPixels(250, 96.0), 17); // 16.7 pixels rounds to the nearer
    QCOMPARE(Twips::ToPixels(250, 192.0), 33);
    QCOMPARE(Twips::FromPixels(100, 192.0), 750);
    QCOMPARE(Twips::FromPixels(-4, 96.0), -60);
    QCOMPARE(TwipsRect(60, 720, 3195, 4875, 96.0), QRect(4, 48, 213, 325));
    QCOMPARE(TwipsRect(60, 720, 3195, 4875, 192.0), QRect(8, 96, 426, 650));

    QWidget widget;
    const qreal dpi = widget.logicalDpiX();
    QCOMPARE(Twips::LogicalDpi(&widget), dpi);
    QCOMPARE(Twips::ToPixels(4035, &widget), Twips::ToPixels(4035, dpi));
    QCOMPARE(TwipsRect(120, 300, 5595, 3135, &widget), TwipsRect(120, 300, 5595, 3135, dpi));
}

void tst_widgets::treeAddsFindsAndNumbersNodes()
{
    KeyedTree tree;
    const TreeNode root = tree.Add({}, QStringLiteral("_0"), QStringLiteral("All Classification"));
    tree.Add(QStringLiteral("_0"), QStringLiteral("_1"), QStringLiteral("Analgesics"));
    TreeNode drug = tree.Add(QStringLiteral("_1"), QStringLiteral("_1.1"), QStringLiteral(" Para "));
    drug.SetTag(QStringLiteral("1234"));
    tree.Add(QStringLiteral("_0"), QStringLiteral("_2"), QStringLiteral("Antibiotics"));

    QCOMPARE(tree.Count(), 4);
    QVERIFY(tree.Exists(QStringLiteral("_1.1")));
    QVERIFY(!tree.Exists(QStringLiteral("_1.2")));
    QVERIFY(tree.Find(QStringLiteral("_9")).IsNull());
    const TreeNode found = tree.Find(QStringLiteral("_1.1"));
    QCOMPARE(found.Text(), QStringLiteral(" Para "));
    QCOMPARE(found.Tag(), QStringLiteral("1234"));
    QCOMPARE(found.Parent().Key(), QStringLiteral("_1"));
    QCOMPARE(found.Parent().Parent(), root);
    QVERIFY(root.Parent().IsNull());
    QCOMPARE(root.Children(), 2);
    QCOMPARE(root.Child(1).Key(), QStringLiteral("_2"));
    QVERIFY(root.Child(2).IsNull());

    // The node collection counts from 1 in the order of adding, whatever the nesting.
    QCOMPARE(tree.NodeAt(3).Key(), QStringLiteral("_1.1"));
    QCOMPARE(tree.NodeAt(4).Key(), QStringLiteral("_2"));
    QCOMPARE(found.Index(), 3);
    QVERIFY(tree.NodeAt(0).IsNull());
    QVERIFY(tree.NodeAt(5).IsNull());

    QVERIFY(tree.SelectedItem().IsNull());
    found.SetSelected(true);
    QCOMPARE(tree.SelectedItem(), found);
    found.EnsureVisible();
    QVERIFY(found.Parent().Expanded());
}

void tst_widgets::treeRefusesDuplicateKeysAndMissingParents()
{
    KeyedTree tree;
    tree.Add({}, QStringLiteral("_0"), QStringLiteral("All Classification"));
    tree.Add(QStringLiteral("_0"), QStringLiteral("_1"), QStringLiteral("first"));

    auto refusal = [&](auto&& add) -> PharvelError {
        try {
            add();
        } catch (const PharvelError& error) {
            return error;
        }
        return PharvelError(0, {}, {});
    };
    const PharvelError twice =
        refusal([&] { tree.Add(QStringLiteral("_0"), QStringLiteral("_1"), QStringLiteral("again")); });
    QCOMPARE(twice.Number(), ErrorNumber::KeyNotUnique);
    QCOMPARE(twice.Description(), QStringLiteral("Key is not unique in collection"));
    const PharvelError orphan = refusal(
        [&] { tree.Add(QStringLiteral("_5"), QStringLiteral("_5.1"), QStringLiteral("orphan")); });
    QCOMPARE(orphan.Number(), ErrorNumber::ElementNotFound);
    QCOMPARE(orphan.Description(), QStringLiteral("Element not found"));
    const PharvelError gone = refusal([&] { tree.Remove(QStringLiteral("_7")); });
    QCOMPARE(gone.Number(), ErrorNumber::ElementNotFound);

    // A refusal leaves the tree as it was: the first node keeps its text, nothing was added.
    QCOMPARE(tree.Count(), 2);
    QCOMPARE(tree.Find(QStringLiteral("_1")).Text(), QStringLiteral("first"));
    QVERIFY(!tree.Exists(QStringLiteral("_5.1")));
}

void tst_widgets::treeRemovesWholeSubtrees()
{
    KeyedTree tree;
    tree.Add({}, QStringLiteral("_0"), QStringLiteral("root"));
    tree.Add(QStringLiteral("_0"), QStringLiteral("_1"), QStringLiteral("a"));
    tree.Add(QStringLiteral("_1"), QStringLiteral("_1.1"), QStringLiteral("a1"));
    tree.Add(QStringLiteral("_1.1"), QStringLiteral("_1.1.1"), QStringLiteral("a11"));
    tree.Add(QStringLiteral("_0"), QStringLiteral("_2"), QStringLiteral("b"));

    tree.Remove(QStringLiteral("_1"));
    QCOMPARE(tree.Count(), 2);
    QVERIFY(!tree.Exists(QStringLiteral("_1.1")));
    QVERIFY(!tree.Exists(QStringLiteral("_1.1.1")));
    QCOMPARE(tree.Find(QStringLiteral("_2")).Index(), 2);
    QCOMPARE(tree.Find(QStringLiteral("_0")).Children(), 1);
    // A removed key can be used again.
    tree.Add(QStringLiteral("_0"), QStringLiteral("_1.1"), QStringLiteral("again"));
    QCOMPARE(tree.NodeAt(3).Text(), QStringLiteral("again"));

    tree.Clear();
    QCOMPARE(tree.Count(), 0);
    QCOMPARE(tree.topLevelItemCount(), 0);
    QVERIFY(!tree.Exists(QStringLiteral("_0")));
}

void tst_widgets::treeShowsExpandedImageWhileExpanded()
{
    ImageList images(QSize(18, 18));
    images.Add(QStringLiteral("bookclose"), solid(Qt::red));
    images.Add(QStringLiteral("bookopen"), solid(Qt::blue));
    QVERIFY_THROWS_EXCEPTION(PharvelError, images.Add(QStringLiteral("bookopen"), solid(Qt::green)));
    QCOMPARE(images.Count(), 2);
    QCOMPARE(images.Picture(2).toImage(), images.Picture(QStringLiteral("bookopen")).toImage());
    QVERIFY(images.Picture(3).isNull());

    KeyedTree tree;
    // Nodes added before the list is attached get their pictures when it is.
    TreeNode node = tree.Add({}, QStringLiteral("_1"), QStringLiteral("c"), QStringLiteral("bookclose"));
    tree.Add(QStringLiteral("_1"), QStringLiteral("_1.1"), QStringLiteral("child"));
    QVERIFY(node.Item()->icon(0).isNull());
    tree.SetImageList(&images);
    QCOMPARE(shown(node.Item()), expected(Qt::red));

    node.SetExpandedImage(QStringLiteral("bookopen"));
    QCOMPARE(shown(node.Item()), expected(Qt::red));
    node.SetExpanded(true);
    QCOMPARE(shown(node.Item()), expected(Qt::blue));
    QSignalSpy collapsed(&tree, &KeyedTree::Collapse);
    node.SetExpanded(false);
    QCOMPARE(shown(node.Item()), expected(Qt::red));
    QCOMPARE(collapsed.size(), 1);
    QCOMPARE(collapsed.at(0).at(0).value<TreeNode>(), node);

    // An unknown image key shows no picture rather than failing.
    node.SetImage(QStringLiteral("nothing"));
    QVERIFY(node.Item()->icon(0).isNull());
    QCOMPARE(node.Image(), QStringLiteral("nothing"));
}

void tst_widgets::labelEditCanBeRefusedOrChanged()
{
    KeyedTree tree;
    TreeNode node = tree.Add({}, QStringLiteral("_1"), QStringLiteral("Old name"));
    tree.show();
    QVERIFY(QTest::qWaitForWindowExposed(&tree));

    bool refuseStart = true;
    bool refuseChange = false;
    QString replacement;
    QStringList typed;
    connect(&tree, &KeyedTree::BeforeLabelEdit, &tree, [&](bool& cancel) { cancel = refuseStart; });
    connect(&tree, &KeyedTree::AfterLabelEdit, &tree, [&](bool& cancel, QString& text) {
        typed.append(text);
        cancel = refuseChange;
        if (!replacement.isNull())
            text = replacement;
    });
    auto type = [&](const QString& text) {
        tree.StartLabelEdit(node);
        auto* editor = tree.findChild<QLineEdit*>();
        QVERIFY(editor);
        editor->setText(text);
        QTest::keyClick(editor, Qt::Key_Return);
        QTRY_COMPARE(tree.state(), QAbstractItemView::NoState);
    };

    tree.StartLabelEdit(node);
    QCOMPARE(tree.state(), QAbstractItemView::NoState);

    refuseStart = false;
    type(QStringLiteral("New name"));
    QCOMPARE(node.Text(), QStringLiteral("New name"));

    refuseChange = true;
    type(QStringLiteral("Refused"));
    QCOMPARE(node.Text(), QStringLiteral("New name"));

    refuseChange = false;
    replacement = QStringLiteral("Changed by handler");
    type(QString());
    QCOMPARE(node.Text(), QStringLiteral("Changed by handler"));
    QCOMPARE(typed, (QStringList{QStringLiteral("New name"), QStringLiteral("Refused"), QString()}));
    tree.close();
}

void tst_widgets::labelEditRestartedFromAfterLabelEdit()
{
    KeyedTree tree;
    TreeNode node = tree.Add({}, QStringLiteral("_1"), QStringLiteral("Old name"));
    tree.show();
    QVERIFY(QTest::qWaitForWindowExposed(&tree));
    int starts = 0;
    connect(&tree, &KeyedTree::BeforeLabelEdit, &tree, [&](bool&) { ++starts; });
    // As the main window does with an empty name: keep the old text and edit again.
    connect(&tree, &KeyedTree::AfterLabelEdit, &tree, [&](bool&, QString& text) {
        if (text.isEmpty()) {
            text = QStringLiteral("Old name");
            tree.StartLabelEdit(tree.SelectedItem());
        }
    });

    tree.StartLabelEdit(node);
    auto* editor = tree.findChild<QLineEdit*>();
    QVERIFY(editor);
    editor->clear();
    QTest::keyClick(editor, Qt::Key_Return);
    QCOMPARE(node.Text(), QStringLiteral("Old name"));
    QTRY_COMPARE(starts, 2);
    QTRY_COMPARE(tree.state(), QAbstractItemView::EditingState);
    QVERIFY(tree.findChild<QLineEdit*>()->isVisible());
    tree.close();
}

void tst_widgets::treeMouseAndKeyEvents()
{
    KeyedTree tree;
    tree.Add({}, QStringLiteral("_0"), QStringLiteral("root"));
    tree.Add(QStringLiteral("_0"), QStringLiteral("_1"), QStringLiteral("a"));
    tree.Add(QStringLiteral("_0"), QStringLiteral("_2"), QStringLiteral("b"));
    tree.Find(QStringLiteral("_0")).SetExpanded(true);
    tree.resize(300, 300);
    tree.show();
    QVERIFY(QTest::qWaitForWindowExposed(&tree));

    QStringList log;
    connect(&tree, &KeyedTree::NodeClick, &tree,
            [&](const TreeNode& node) { log.append(QStringLiteral("NodeClick ") + node.Key()); });
    connect(&tree, &KeyedTree::Click, &tree, [&] { log.append(QStringLiteral("Click")); });
    connect(&tree, &KeyedTree::DblClick, &tree, [&] { log.append(QStringLiteral("DblClick")); });
    connect(&tree, &KeyedTree::KeyDown, &tree, [&](int key, Qt::KeyboardModifiers) {
        log.append(QStringLiteral("KeyDown %1").arg(key));
    });
    QPoint downAt;
    Qt::MouseButton downButton = Qt::NoButton;
    connect(&tree, &KeyedTree::MouseDown, &tree,
            [&](Qt::MouseButton button, Qt::KeyboardModifiers, const QPoint& pos) {
                downButton = button;
                downAt = pos;
            });

    const QPoint onA = tree.visualItemRect(tree.Find(QStringLiteral("_1")).Item()).center();
    QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, onA);
    QCOMPARE(log, (QStringList{QStringLiteral("NodeClick _1"), QStringLiteral("Click")}));
    QCOMPARE(tree.SelectedItem().Key(), QStringLiteral("_1"));

    log.clear();
    QTest::keyClick(&tree, Qt::Key_Down);
    QCOMPARE(log, (QStringList{QStringLiteral("KeyDown %1").arg(int(Qt::Key_Down)),
                               QStringLiteral("NodeClick _2")}));

    const QPoint onB = tree.visualItemRect(tree.Find(QStringLiteral("_2")).Item()).center();
    QTest::mousePress(tree.viewport(), Qt::RightButton, {}, onB);
    QTest::mouseRelease(tree.viewport(), Qt::RightButton, {}, onB);
    QCOMPARE(downButton, Qt::RightButton);
    QCOMPARE(tree.HitTest(downAt).Key(), QStringLiteral("_2"));
    QVERIFY(tree.HitTest(QPoint(5, 290)).IsNull());

    log.clear();
    QTest::mouseDClick(tree.viewport(), Qt::LeftButton, {}, onA);
    QVERIFY(log.contains(QStringLiteral("DblClick")));
    tree.close();
}

void tst_widgets::treeTakesThirtyTwoThousandNodes()
{
    KeyedTree tree;
    tree.show();
    QVERIFY(QTest::qWaitForWindowExposed(&tree));
    tree.Add({}, QStringLiteral("_0"), QStringLiteral("All Classification"));
    tree.Find(QStringLiteral("_0")).SetExpanded(true);
    for (int c = 1; c <= 320; ++c) {
        const QString parent = QStringLiteral("_%1").arg(c);
        tree.Add(QStringLiteral("_0"), parent, QStringLiteral("class %1").arg(c));
        for (int g = 1; g < 100; ++g)
            tree.Add(parent, QStringLiteral("%1.%2").arg(parent).arg(g), QStringLiteral("generic"));
    }
    QCOMPARE(tree.Count(), 32001);
    QCOMPARE(tree.Find(QStringLiteral("_320.99")).Parent().Key(), QStringLiteral("_320"));
    QCOMPARE(tree.NodeAt(32001).Key(), QStringLiteral("_320.99"));
    tree.Remove(QStringLiteral("_1"));
    QCOMPARE(tree.Count(), 32001 - 100);
    QCOMPARE(tree.Find(QStringLiteral("_320.99")).Index(), 32001 - 100);
    tree.close();
}

QTEST_MAIN(tst_widgets)
#include "tst_widgets.moc"
