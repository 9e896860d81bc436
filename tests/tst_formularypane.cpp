#include "app/StretchedPicture.h"
#include "app/mdlPharvel.h"
#include "catalogue/FormularyPane.h"
#include "catalogue/StatusMarks.h"
#include "catalogue/frmPharvel.h"
#include "fixtures/MainWindowDriver.h"
#include "fixtures/TestDatabase.h"
#include "fixtures/WhileOpen.h"
#include "platform/db/AtcCode.h"
#include "platform/db/AtcIndexStore.h"
#include "platform/db/Formulary.h"
#include "platform/db/OtherDetailsStore.h"
#include "platform/db/ScopedTransaction.h"
#include "platform/widgets/ImageList.h"
#include "platform/widgets/KeyedTree.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>
#include <QTextDocumentFragment>

using namespace MainWindowDriver;

// The main window's right pane as the tree's selection moves, and the tree's status marks.
class tst_formularypane : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { QCOMPARE(QApplication::topLevelWidgets().size(), 0); }

    void paneFollowsSelection_data();
    void paneFollowsSelection();
    ON_EVERY_ENGINE(treeMarksStatus);
};

namespace {

QString s(const char* text)
{
    return QString::fromUtf8(text);
}

// The sample tree's generic names (SampleTree): Morphine under Analgesics > Opioids, with two
// drugs; Paracetamol under Analgesics; Amoxicillin under Antibiotics.
constexpr int kMorphine = 1;
constexpr int kParacetamol = 2;
constexpr int kAmoxicillin = 3;

void WriteFormulary(SQLConnection& connection, const FormularyRecord& after)
{
    ScopedTransaction transaction(connection);
    Formulary::Write(connection, {{Formulary::Read(connection, after.generic), after}});
    transaction.Commit();
}

FormularyRecord Status(int generic, const QString& status)
{
    FormularyRecord record;
    record.generic = generic;
    record.status = status;
    if (FormularyStatus::NeedsText(status))
        record.restriction = s("Pain team only, 5 days.");
    return record;
}

QString Plain(const QLabel* label)
{
    return QTextDocumentFragment::fromHtml(label->text()).toPlainText();
}

bool Shown(const FormularyPane* pane, const QLabel* field)
{
    return field->isVisibleTo(pane);
}

// Every caption and value the pane shows has room of its own: none is squeezed to nothing, none
// lies over the row before it.
bool RowsLaidOut(const FormularyPane* pane)
{
    QList<QRect> rows;
    for (const QLabel* label : pane->findChildren<QLabel*>()) {
        if (label->isVisibleTo(pane) && !label->text().isEmpty())
            rows << label->geometry();
    }
    for (const QRect& row : rows) {
        if (row.height() <= 0)
            return false;
        for (const QRect& other : rows) {
            if (&row != &other && row.intersects(other))
                return false;
        }
    }
    return !rows.isEmpty();
}

void Select(frmPharvel* window, const QString& key)
{
    TreeNode node = window->trePharvel->Find(key);
    QVERIFY2(node, qPrintable(key));
    node.SetSelected(true);
    QCoreApplication::processEvents();
}

} // namespace

void tst_formularypane::paneFollowsSelection_data()
{
    QTest::addColumn<QString>("engine");
    QTest::addColumn<QString>("rights");
    for (const QString& engine : TestDatabase::Engines()) {
        QTest::newRow(qPrintable(engine + s(" pharmacist"))) << engine << QString();
        QTest::newRow(qPrintable(engine + s(" BB"))) << engine << s("BB");
    }
}

void tst_formularypane::paneFollowsSelection()
{
    QFETCH(QString, engine);
    QFETCH(QString, rights);
    SampleTreeWindow w(engine, rights);
    SQLConnection& db = w.db.Connection();
    {
        ScopedTransaction transaction(db);
        AtcIndexStore::Replace(db, {{s("N02AA01"), s("testorphine"), {}, {}, {}, {}}});
        transaction.Commit();
    }
    QVERIFY(OtherDetailsStore::Save(db, kMorphine, s("Keep in the locked cupboard."), {}).saved);
    db.Execute(s("UPDATE inventory.tbinvmaster SET Indication = ?, Dosage = ? WHERE itemid = 101"),
               {s("Severe pain."), s("10 mg every 4 hours.")});
    WriteFormulary(db, Status(kParacetamol, FormularyStatus::InFormulary));
    FormularyPane* pane = w.window->Pane();
    QSignalSpy asked(pane, &FormularyPane::FormularyRequested);

    // The root, as after the window's load: the picture alone.
    QCOMPARE(w.Tree()->SelectedItem().Key(), s("_0"));
    QCoreApplication::processEvents();
    QVERIFY(!pane->isVisible());
    QVERIFY(w.window->imgBack->isVisible());

    // Reached the way an alternative's click reaches it: the tree is opened down to it.
    w.window->ShowGenericInTree(kMorphine);
    QCoreApplication::processEvents();
    QCOMPARE(w.Tree()->SelectedItem().Key(), s("_1.1.1"));
    QCOMPARE(pane->ShownKey(), s("_1.1.1"));
    QVERIFY(pane->isVisible());
    QCOMPARE(pane->geometry(), w.window->imgBack->rect());
    QCOMPARE(pane->lblName->text(), s("Morphine"));
    QCOMPARE(pane->lblPath->text(), s("Analgesics › Opioids"));
    QCOMPARE(pane->lblDrugs->text(), s("2"));
    QCOMPARE(pane->lblOtherDetails->text(), s("Keep in the locked cupboard."));
    QVERIFY(RowsLaidOut(pane));

    // Each status, saved meanwhile and shown by Refresh as after the editor's save.
    struct Case
    {
        QString status;
        QDate review;
        const char* reviewShown;
    };
    const QDate today = QDate::currentDate();
    const Case cases[] = {
        {FormularyStatus::InFormulary, today.addDays(30), ""},
        {FormularyStatus::NotInFormulary, {}, nullptr},
        {FormularyStatus::Restricted, today.addDays(-1), "(review date passed)"},
        {FormularyStatus::WithGuidelines, today, ""},
        {QString(), {}, nullptr},
    };
    FormularyRecord record;
    for (const Case& c : cases) {
        record = Status(kMorphine, c.status);
        record.reviewOn = c.review;
        record.ven = VenCategory::Vital;
        record.codes = {{AtcCode::kSystem, s("N02AA01")}, {s("Hospital"), s("M-17")}};
        record.alternatives = {{kParacetamol, AlternativeKind::Preferred, s("for mild pain")},
                               {kAmoxicillin, AlternativeKind::Equivalent, {}}};
        WriteFormulary(db, record);
        pane->Refresh();
        const QString word = StatusMarks::Word(c.status);
        QVERIFY2(Plain(pane->lblStatus).endsWith(word), qPrintable(c.status));
        QVERIFY(Shown(pane, pane->lblStatus) && Shown(pane, pane->lblDrugs));
        QVERIFY(pane->lblStatus->text().contains(StatusMarks::Colour(c.status).name()));
        QCOMPARE(Shown(pane, pane->lblRestriction), FormularyStatus::NeedsText(c.status));
        QCOMPARE(Shown(pane, pane->lblReview), c.reviewShown != nullptr);
        if (c.reviewShown) {
            QCOMPARE(
                Plain(pane->lblReview).trimmed(),
                (c.review.toString(Qt::ISODate) + QLatin1Char(' ') + s(c.reviewShown)).trimmed());
        }
        QCOMPARE(Plain(pane->lblVen), s("vital"));
        QCOMPARE(Plain(pane->lblCodes), s("ATC N02AA01 — testorphine\nHospital M-17"));
        QCOMPARE(Plain(pane->lblAlternatives),
                 s("Paracetamol — preferred alternative (for mild pain)\n"
                   "Amoxicillin — therapeutic equivalent"));
        QCOMPARE(pane->cmdFormulary->isEnabled(), rights.isEmpty());
        // The tree's mark follows what the pane read.
        QCOMPARE(w.Tree()->Find(s("_1.1.1")).Image(), StatusMarks::ImageKey(c.status));
    }
    // The button opens the formulary window, as the menu item does; it is closed again here.
    QString opened;
    if (rights.isEmpty())
        WhileOpen([&] { opened = QApplication::activeModalWidget()->objectName(); });
    pane->cmdFormulary->click();
    QCOMPARE(opened, rights.isEmpty() ? s("frmFormulary") : QString());
    QCOMPARE(asked.size(), rights.isEmpty() ? 1 : 0);
    if (rights.isEmpty())
        QCOMPARE(asked.at(0).at(0).toInt(), kMorphine);

    // A drug: its medicine details and its generic name's status.
    record.status = FormularyStatus::Restricted;
    record.restriction = Status(kMorphine, record.status).restriction;
    WriteFormulary(db, record);
    Select(w.window, s("_1.1.1.1"));
    QCOMPARE(pane->lblKind->text(), s("Drug"));
    QVERIFY(RowsLaidOut(pane));
    QCOMPARE(pane->lblPath->text(), s("Analgesics › Opioids › Morphine"));
    QCOMPARE(pane->lblGeneric->text(), s("Morphine"));
    QVERIFY(Plain(pane->lblStatus).endsWith(s("restricted")));
    QCOMPARE(pane->lblIndication->text(), s("Severe pain."));
    QCOMPARE(pane->lblDosage->text(), s("10 mg every 4 hours."));
    QVERIFY(!Shown(pane, pane->lblPreparation));
    QVERIFY(!Shown(pane, pane->lblCodes));
    QVERIFY(!pane->cmdFormulary->isEnabled());

    // A classification: its generic names by status, at any depth.
    Select(w.window, s("_1"));
    QCOMPARE(pane->lblKind->text(), s("Classification"));
    QVERIFY(RowsLaidOut(pane));
    QCOMPARE(Plain(pane->lblCounts).split(QLatin1Char('\n')),
             QStringList({s("2 in all"), s("■ in the formulary: 1"), s("■ restricted: 1"),
                          s("■ with guidelines: 0"), s("■ not in the formulary: 0"),
                          s("■ not yet decided: 0")}));
    QVERIFY(!Shown(pane, pane->lblStatus));
    QVERIFY(!pane->cmdFormulary->isEnabled());

    // An alternative's link, clicked on Morphine: the tree walks to Paracetamol.
    Select(w.window, s("_1.1.1"));
    const QRegularExpressionMatch link = QRegularExpression(s("<a href=\"(\\d+)\">Paracetamol</a>"))
                                             .match(pane->lblAlternatives->text());
    QVERIFY(link.hasMatch());
    emit pane->lblAlternatives->linkActivated(link.captured(1));
    QCoreApplication::processEvents();
    QCOMPARE(w.Tree()->SelectedItem().Key(), s("_1.2"));
    QCOMPARE(pane->lblName->text(), s("Paracetamol"));

    // The keys move the selection and the pane with it; back at the root the picture shows.
    w.Tree()->setFocus();
    QTest::keyClick(w.Tree(), Qt::Key_Up);
    QCoreApplication::processEvents();
    QCOMPARE(pane->ShownKey(), w.Tree()->SelectedItem().Key());
    QCOMPARE(pane->ShownKey(), s("_1.1.1.2"));
    Select(w.window, s("_0"));
    QVERIFY(!pane->isVisible());
}

void tst_formularypane::treeMarksStatus()
{
    QFETCH(QString, engine);
    SampleTreeWindow w(engine);
    SQLConnection& db = w.db.Connection();
    WriteFormulary(db, Status(kMorphine, FormularyStatus::Restricted));
    WriteFormulary(db, Status(kParacetamol, FormularyStatus::WithGuidelines));
    WriteFormulary(db, Status(kAmoxicillin, FormularyStatus::NotInFormulary));
    w.window->LoadTreeView(s("_0"), QString(), true);

    const auto picture = [&](const QString& key) {
        return w.Tree()
            ->Find(key)
            .Item()
            ->icon(0)
            .pixmap(QSize(18, 18))
            .toImage()
            .convertToFormat(QImage::Format_ARGB32);
    };
    const QImage plain = w.window->ilsTree->Icon(s("capsule"))
                             .pixmap(QSize(18, 18))
                             .toImage()
                             .convertToFormat(QImage::Format_ARGB32);
    const QString keys[] = {s("_1.1.1"), s("_1.2"), s("_2.1")};
    const char* lines[] = {"Morphine\nFormulary: restricted",
                           "Paracetamol\nFormulary: with guidelines",
                           "Amoxicillin\nFormulary: not in the formulary"};
    QSet<QString> images;
    for (int i = 0; i < 3; ++i) {
        const TreeNode node = w.Tree()->Find(keys[i]);
        QCOMPARE(node.Item()->data(0, Qt::ToolTipRole).toString(), s(lines[i]));
        QVERIFY(picture(keys[i]) != plain);
        images.insert(node.Image());
    }
    QCOMPARE(images.size(), 3);
    QVERIFY(picture(keys[0]) != picture(keys[1]) && picture(keys[1]) != picture(keys[2]));
    QCOMPARE(w.Tree()->Find(s("_1")).Text(), s("Analgesics"));

    // In the formulary, and not yet decided: no mark, the word in the tooltip.
    WriteFormulary(db, Status(kMorphine, FormularyStatus::InFormulary));
    WriteFormulary(db, Status(kAmoxicillin, QString()));
    w.window->LoadTreeView(s("_0"), QString(), true);
    QCOMPARE(w.Tree()->Find(s("_1.1.1")).Image(), s("capsule"));
    QCOMPARE(w.Tree()->Find(s("_1.1.1")).Item()->data(0, Qt::ToolTipRole).toString(),
             s("Morphine\nFormulary: in the formulary"));
    QCOMPARE(w.Tree()->Find(s("_2.1")).Item()->data(0, Qt::ToolTipRole).toString(),
             s("Amoxicillin\nFormulary: not yet decided"));
    QCOMPARE(w.Tree()->Find(s("_1.1")).Item()->data(0, Qt::ToolTipRole).toString(), s("Opioids"));
}

QTEST_MAIN(tst_formularypane)
#include "tst_formularypane.moc"
