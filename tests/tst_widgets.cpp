#include "platform/db/PharvelError.h"
#include "platform/widgets/ImageList.h"
#include "platform/widgets/KeyedTree.h"
#include "platform/widgets/MsgBox.h"
#include "platform/widgets/Twips.h"

#include <QApplication>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

namespace {

QString raisedText(const std::function<void()>& action)
{
    try {
        action();
    } catch (const PharvelError& error) {
        return error.Description();
    }
    return {};
}

// classification "A" with generic "A1" holding drugs "A1a" and "A1b", and classification "B".
void addSample(KeyedTree& tree)
{
    tree.Add({}, QStringLiteral("_0"), QStringLiteral("Pharvel"));
    tree.Add(QStringLiteral("_0"), QStringLiteral("A"), QStringLiteral("Analgesics"));
    tree.Add(QStringLiteral("A"), QStringLiteral("A1"), QStringLiteral("PARACETAMOL"));
    tree.Add(QStringLiteral("A1"), QStringLiteral("A1a"), QStringLiteral("Biogesic 500 mg"));
    tree.Add(QStringLiteral("A1"), QStringLiteral("A1b"), QStringLiteral("Tempra 250 mg"));
    tree.Add(QStringLiteral("_0"), QStringLiteral("B"), QStringLiteral("Antibiotics"));
}

QStringList keysInOrder(const KeyedTree& tree)
{
    QStringList keys;
    for (int i = 1; i <= tree.Count(); ++i)
        keys << tree.NodeAt(i).Key();
    return keys;
}

} // namespace

// The widget platform: twips, the message-box seam and the keyed tree.
class tst_widgets : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();
    void twipsRoundToWholePixelsAtEachDpi_data();
    void twipsRoundToWholePixelsAtEachDpi();
    void msgBoxHandlersNestAndRestore();
    void treeRefusesDuplicateKeysAndUnknownParents();
    void removingANodeForgetsItsWholeSubtree();
    void expandedImageShowsOnlyWhileExpanded();
    void labelEditCanBeCancelledOrRewritten();
};

void tst_widgets::cleanup()
{
    QVERIFY(QApplication::topLevelWidgets().isEmpty());
}

void tst_widgets::twipsRoundToWholePixelsAtEachDpi_data()
{
    QTest::addColumn<qreal>("dpi");
    QTest::addColumn<int>("twips");
    QTest::addColumn<int>("pixels");
    QTest::newRow("96 dpi, a whole pixel") << qreal(96) << 1440 << 96;
    QTest::newRow("96 dpi, rounds half up") << qreal(96) << 22 << 1;
    QTest::newRow("96 dpi, rounds down") << qreal(96) << 7 << 0;
    QTest::newRow("192 dpi, twice as many") << qreal(192) << 1440 << 192;
    QTest::newRow("144 dpi, fractional") << qreal(144) << 100 << 10;
    QTest::newRow("negative offsets") << qreal(96) << -30 << -2;
}

void tst_widgets::twipsRoundToWholePixelsAtEachDpi()
{
    QFETCH(qreal, dpi);
    QFETCH(int, twips);
    QFETCH(int, pixels);
    QCOMPARE(Twips::ToPixels(twips, dpi), pixels);
    // Back to twips lands within half a pixel of where it started.
    QVERIFY(std::abs(Twips::FromPixels(pixels, dpi) - twips) <= Twips::PerPixel(dpi) / 2 + 1);
    QCOMPARE(TwipsRect(15, 30, 1500, 300, dpi),
             QRect(Twips::ToPixels(15, dpi), Twips::ToPixels(30, dpi), Twips::ToPixels(1500, dpi),
                   Twips::ToPixels(300, dpi)));
}

void tst_widgets::msgBoxHandlersNestAndRestore()
{
    QStringList outer;
    MsgBox::Message seen{};
    ScopedMsgBoxHandler first([&](const MsgBox::Message& message) {
        outer << message.text;
        return MsgBox::Answer::No;
    });
    {
        ScopedMsgBoxHandler second([&](const MsgBox::Message& message) {
            seen = message;
            return MsgBox::Answer::Yes;
        });
        QCOMPARE(
            MsgBox::Show(QStringLiteral("Inner?"), MsgBox::Icon::Question, MsgBox::Buttons::YesNo),
            MsgBox::Answer::Yes);
    }
    QCOMPARE(seen.text, QStringLiteral("Inner?"));
    QCOMPARE(seen.icon, MsgBox::Icon::Question);
    QCOMPARE(seen.buttons, MsgBox::Buttons::YesNo);
    QCOMPARE(seen.title, QStringLiteral("prjPharvel"));
    QCOMPARE(MsgBox::Show(QStringLiteral("Outer"), MsgBox::Icon::Exclamation, MsgBox::Buttons::OK,
                          QStringLiteral("Title")),
             MsgBox::Answer::No);
    QCOMPARE(outer, QStringList{QStringLiteral("Outer")});
}

void tst_widgets::treeRefusesDuplicateKeysAndUnknownParents()
{
    KeyedTree tree;
    addSample(tree);
    QCOMPARE(raisedText([&] { tree.Add(QStringLiteral("A"), QStringLiteral("B"), {}); }),
             QStringLiteral("Key is not unique in collection"));
    QCOMPARE(raisedText([&] { tree.Add(QStringLiteral("Z"), QStringLiteral("Z1"), {}); }),
             QStringLiteral("Element not found"));
    QCOMPARE(raisedText([&] { tree.Remove(QStringLiteral("Z")); }),
             QStringLiteral("Element not found"));
    // A refused add leaves the tree as it was.
    QCOMPARE(tree.Count(), 6);
    QCOMPARE(tree.Find(QStringLiteral("B")).Parent().Key(), QStringLiteral("_0"));
    QVERIFY(tree.Find(QStringLiteral("Z1")).IsNull());
}

void tst_widgets::removingANodeForgetsItsWholeSubtree()
{
    KeyedTree tree;
    addSample(tree);
    tree.Remove(QStringLiteral("A"));
    QCOMPARE(keysInOrder(tree), (QStringList{QStringLiteral("_0"), QStringLiteral("B")}));
    for (const char* key : {"A", "A1", "A1a", "A1b"})
        QVERIFY2(!tree.Exists(QString::fromLatin1(key)), key);
    QCOMPARE(tree.Find(QStringLiteral("B")).Index(), 2);
    // The keys of a removed branch can be used again, as a reload of that branch does.
    tree.Add(QStringLiteral("B"), QStringLiteral("A1"), QStringLiteral("AMOXICILLIN"));
    QCOMPARE(tree.Find(QStringLiteral("A1")).Index(), 3);
    tree.Clear();
    QCOMPARE(tree.Count(), 0);
    QVERIFY(tree.NodeAt(1).IsNull());
}

void tst_widgets::expandedImageShowsOnlyWhileExpanded()
{
    ImageList images(QSize(16, 16));
    QPixmap closed(16, 16);
    closed.fill(Qt::red);
    QPixmap open(16, 16);
    open.fill(Qt::green);
    images.Add(QStringLiteral("bookclose"), closed);
    images.Add(QStringLiteral("bookopen"), open);
    KeyedTree tree;
    tree.SetImageList(&images);
    addSample(tree);
    TreeNode node = tree.Find(QStringLiteral("A"));
    node.SetImage(QStringLiteral("bookclose"));
    node.SetExpandedImage(QStringLiteral("bookopen"));
    const auto shownColour = [&] {
        return node.Item()->icon(0).pixmap(16, 16).toImage().pixelColor(8, 8);
    };
    QCOMPARE(shownColour(), QColor(Qt::red));
    node.SetExpanded(true);
    QCOMPARE(shownColour(), QColor(Qt::green));
    QSignalSpy collapsed(&tree, &KeyedTree::Collapse);
    node.SetExpanded(false);
    QCOMPARE(shownColour(), QColor(Qt::red));
    QCOMPARE(collapsed.count(), 1);
}

void tst_widgets::labelEditCanBeCancelledOrRewritten()
{
    KeyedTree tree;
    addSample(tree);
    tree.Find(QStringLiteral("_0")).SetExpanded(true);
    tree.show();
    QVERIFY(QTest::qWaitForWindowExposed(&tree));

    bool refuse = true;
    connect(&tree, &KeyedTree::BeforeLabelEdit, &tree, [&](bool& cancel) { cancel = refuse; });
    connect(&tree, &KeyedTree::AfterLabelEdit, &tree, [](bool& cancel, QString& text) {
        cancel = text.trimmed().isEmpty();
        text = text.toUpper();
    });
    const TreeNode node = tree.Find(QStringLiteral("B"));
    tree.StartLabelEdit(node);
    QVERIFY(tree.findChild<QLineEdit*>() == nullptr || !tree.findChild<QLineEdit*>()->isVisible());

    const auto editTo = [&](const QString& typed) {
        tree.StartLabelEdit(node);
        QLineEdit* editor = tree.findChild<QLineEdit*>();
        QVERIFY(editor);
        editor->selectAll();
        QTest::keyClicks(editor, typed);
        QTest::keyClick(editor, Qt::Key_Return);
        QApplication::processEvents();
    };
    refuse = false;
    editTo(QStringLiteral("antivirals"));
    QCOMPARE(node.Text(), QStringLiteral("ANTIVIRALS"));
    editTo(QStringLiteral("   "));
    QCOMPARE(node.Text(), QStringLiteral("ANTIVIRALS"));
    tree.close();
}

QTEST_MAIN(tst_widgets)
#include "tst_widgets.moc"
