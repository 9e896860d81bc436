#include "app/StretchedPicture.h"
#include "app/mdlPharvel.h"
#include "details/frmDrugInformation.h"
#include "details/frmMedDetails.h"
#include "fixtures/LoggedInRun.h"
#include "fixtures/MainWindowDriver.h"
#include "fixtures/SampleTree.h"
#include "fixtures/TestDatabase.h"
#include "platform/db/PharvelError.h"
#include "platform/db/SQLConnection.h"
#include "platform/user/clsCurrentUser.h"
#include "platform/widgets/Twips.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

// The two drug-details windows: the other-details editor reading, inserting and updating its
// one row per generic name, and the medicine details view reading a stock item.
class tst_details : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { QCOMPARE(QApplication::topLevelWidgets().size(), 0); }

    ON_EVERY_ENGINE(otherDetailsInsertThenUpdate);
    ON_EVERY_ENGINE(otherDetailsSavedFromTwoWindows);
    void otherDetailsRefusesEmptyAndDiscardsOnClose();
    void otherDetailsOfNullRow();
    void otherDetailsIdIsSixteenBits();
    void otherDetailsWindowLooksAsDesigned();
    ON_EVERY_ENGINE(medicineDetailsOfItem);
    void medicineDetailsWindowIsReadOnly();
};

namespace {

// A pharmacist logged in to the sample catalogue, whose generic names are 1 Morphine,
// 2 Paracetamol and 3 Amoxicillin and whose drugs are 101 to 103.
struct Details
{
    explicit Details(const QString& engine) : db(engine), run(Filled(db)) {}
    static TestDatabase& Filled(TestDatabase& database)
    {
        SampleTree::Fill(database.Connection());
        return database;
    }
    SQLConnection& UserConnection() { return *mdlPharvel::objCurrentUser->SQLConnection(); }
    // The other-details rows of a generic name, as "text" each, joined by "|".
    QString Rows(int genericId)
    {
        const RowSet rows = db.Connection().OpenRowSet(
            QStringLiteral("SELECT OtherDetails FROM inventory.tbPharvelOtherDetails "
                           "WHERE GenericID = ?"),
            {genericId});
        QStringList texts;
        for (int row = 0; row < rows.RecordCount(); ++row)
            texts << rows.At(row, 0).toString();
        return texts.join(QLatin1Char('|'));
    }

    TestDatabase db;
    LoggedInRun run;
};

void Open(frmDrugInformation& form, int genericId)
{
    form.SetGenericID(QString::number(genericId));
    form.show();
    form.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&form));
}

} // namespace

void tst_details::otherDetailsInsertThenUpdate()
{
    QFETCH(QString, engine);
    Details d(engine);
    frmDrugInformation form(d.UserConnection());
    MessageLog log;

    Open(form, 2);
    QVERIFY(form.NewRecord());
    QVERIFY(form.txtEntry->toPlainText().isEmpty());
    QCOMPARE(QApplication::focusWidget(), form.txtEntry);
    // Apostrophes and line breaks are stored exactly as typed.
    const QString first = QStringLiteral("Oral or rectal.\nTablets 500 mg; children's syrup");
    form.txtEntry->setPlainText(first);
    QTest::mouseClick(form.cmdSave, Qt::LeftButton);
    QCOMPARE(log.Texts(), QStringLiteral("Data successfullly save!"));
    QCOMPARE(log.messages[0].icon, MsgBox::Icon::Information);
    QCOMPARE(log.messages[0].title, QStringLiteral("MESSAGE"));
    QVERIFY(!form.isVisible());
    QCOMPARE(d.Rows(2), first);

    // The next opening finds the row and changes it in place.
    Open(form, 2);
    QVERIFY(!form.NewRecord());
    QCOMPARE(form.txtEntry->toPlainText(), first);
    form.txtEntry->setPlainText(QStringLiteral("IV only"));
    QTest::mouseClick(form.cmdSave, Qt::LeftButton);
    QCOMPARE(d.Rows(2), QStringLiteral("IV only"));
    QVERIFY(d.Rows(1).isEmpty());

    QCOMPARE(form.GenericID(), QStringLiteral("2"));
}

void tst_details::otherDetailsSavedFromTwoWindows()
{
    QFETCH(QString, engine);
    Details d(engine);
    frmDrugInformation mine(d.UserConnection());
    frmDrugInformation theirs(d.UserConnection());
    // Both open on a generic name without other details; the other window saves first.
    Open(mine, 3);
    Open(theirs, 3);
    theirs.txtEntry->setPlainText(QStringLiteral("Theirs"));
    {
        MessageLog log;
        QTest::mouseClick(theirs.cmdSave, Qt::LeftButton);
    }
    // This window's save says so; keeping theirs shows their text and saves nothing.
    const QString typed = QStringLiteral("Mine:\u00a0500\u00a0mg");
    mine.txtEntry->setPlainText(typed);
    {
        MessageLog log({MsgBox::Answer::No});
        QTest::mouseClick(mine.cmdSave, Qt::LeftButton);
        QCOMPARE(log.messages.size(), 1);
        QCOMPARE(log.messages[0].buttons, MsgBox::Buttons::YesNo);
        QVERIFY2(log.messages[0].text.contains(QStringLiteral("another user")),
                 qPrintable(log.Texts()));
    }
    QVERIFY(mine.isVisible());
    QCOMPARE(mine.txtEntry->toPlainText(), QStringLiteral("Theirs"));
    QCOMPARE(d.Rows(3), QStringLiteral("Theirs"));
    // Now that this window has read their text, a save updates the row with the text as typed.
    mine.txtEntry->setPlainText(typed);
    {
        MessageLog log;
        QTest::mouseClick(mine.cmdSave, Qt::LeftButton);
        QCOMPARE(log.Texts(), QStringLiteral("Data successfullly save!"));
    }
    QCOMPARE(d.Rows(3), typed);
    // The other window, still holding what it saved, is told and may overwrite.
    Open(theirs, 3);
    d.db.Connection().Execute(QStringLiteral("DELETE FROM inventory.tbPharvelOtherDetails"));
    theirs.txtEntry->setPlainText(QStringLiteral("Overwritten"));
    {
        MessageLog log({MsgBox::Answer::Yes});
        QTest::mouseClick(theirs.cmdSave, Qt::LeftButton);
        QCOMPARE(log.messages.size(), 2);
    }
    QVERIFY(!theirs.isVisible());
    QCOMPARE(d.Rows(3), QStringLiteral("Overwritten"));
}

void tst_details::otherDetailsRefusesEmptyAndDiscardsOnClose()
{
    Details d(QStringLiteral("sqlite"));
    frmDrugInformation form(d.UserConnection());
    MessageLog log;

    Open(form, 3);
    QTest::mouseClick(form.cmdSave, Qt::LeftButton);
    QCOMPARE(log.Texts(),
             QStringLiteral("Please insert value for Drug Other Details Information."));
    QCOMPARE(log.messages[0].icon, MsgBox::Icon::Exclamation);
    QCOMPARE(log.messages[0].title, QStringLiteral("MESSAGE"));
    QVERIFY(form.isVisible());
    QCOMPARE(QApplication::focusWidget(), form.txtEntry);
    QVERIFY(d.Rows(3).isEmpty());

    form.txtEntry->setPlainText(QStringLiteral("edited, never saved"));
    QTest::mouseClick(form.cmdClose, Qt::LeftButton);
    QVERIFY(!form.isVisible());
    QCOMPARE(log.messages.size(), 1);
    QVERIFY(d.Rows(3).isEmpty());

    // Blanks are a text; the next opening shows them, not the discarded edit.
    Open(form, 3);
    QVERIFY(form.txtEntry->toPlainText().isEmpty());
    QTest::keyClicks(form.txtEntry, QStringLiteral("   "));
    QTest::mouseClick(form.cmdSave, Qt::LeftButton);
    QCOMPARE(d.Rows(3), QStringLiteral("   "));
}

void tst_details::otherDetailsOfNullRow()
{
    Details d(QStringLiteral("sqlite"));
    d.db.Connection().Execute(QStringLiteral("INSERT INTO inventory.tbPharvelOtherDetails "
                                             "(GenericID, OtherDetails) VALUES (1, NULL)"));
    frmDrugInformation form(d.UserConnection());
    MessageLog log;

    form.txtEntry->setPlainText(QStringLiteral("left from an earlier opening"));
    Open(form, 1);
    QVERIFY(!form.NewRecord());
    QVERIFY(form.txtEntry->toPlainText().isEmpty());
    form.txtEntry->setPlainText(QStringLiteral("now filled"));
    QTest::mouseClick(form.cmdSave, Qt::LeftButton);
    QCOMPARE(d.Rows(1), QStringLiteral("now filled"));

    // A read that fails says why and closes the window: it never offers to save over a row it
    // could not read.
    d.UserConnection().Database().close();
    form.SetGenericID(QStringLiteral("1"));
    form.show();
    QCOMPARE(log.messages.size(), 2);
    QCOMPARE(log.messages[1].icon, MsgBox::Icon::Critical);
    QTRY_VERIFY(!form.isVisible());
}

void tst_details::otherDetailsIdIsSixteenBits()
{
    Details d(QStringLiteral("sqlite"));
    frmDrugInformation form(d.UserConnection());
    form.SetGenericID(QStringLiteral("-32768"));
    QCOMPARE(form.GenericID(), QStringLiteral("-32768"));
    try {
        form.SetGenericID(QStringLiteral("32768"));
        QFAIL("an id beyond 16 bits was taken");
    } catch (const PharvelError& error) {
        QCOMPARE(error.Number(), ErrorNumber::Overflow);
        QCOMPARE(error.Source(), QStringLiteral("frmDrugInformation.GenericID"));
    }
    QCOMPARE(form.GenericID(), QStringLiteral("-32768"));
}

void tst_details::otherDetailsWindowLooksAsDesigned()
{
    Details d(QStringLiteral("sqlite"));
    frmDrugInformation form(d.UserConnection());
    MessageLog log;
    Open(form, 1);

    QCOMPARE(form.windowTitle(), QStringLiteral(" Drug Details"));
    QCOMPARE(form.size(), TwipsRect(0, 0, 11595, 7770, &form).size());
    QCOMPARE(form.minimumSize(), form.maximumSize());
    QVERIFY(form.windowFlags().testFlag(Qt::Tool));
    QVERIFY(!form.windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
    QVERIFY(!form.windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    const QRect screen = form.screen()->availableGeometry();
    QVERIFY2(qAbs(form.frameGeometry().center().x() - screen.center().x()) <= 1,
             qPrintable(QStringLiteral("%1 in %2")
                            .arg(form.frameGeometry().center().x())
                            .arg(screen.center().x())));
    for (const QLabel* label : {form.Label1, form.Label2[0], form.Label2[1]})
        QVERIFY2(label->width() >= label->sizeHint().width(), qPrintable(label->text()));
    QTest::keyClick(form.txtEntry, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), form.cmdSave);
    QTest::keyClick(form.cmdSave, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), form.cmdClose);

    // The pictures are drawn (their drawings are compiled-in resources a linker may drop).
    const QImage shot = form.grab().toImage();
    for (const StretchedPicture* picture : {form.Image1, form.Image2}) {
        QSet<QRgb> colours;
        const QImage part = shot.copy(picture->geometry());
        for (int y = 0; y < part.height(); y += 2) {
            for (int x = 0; x < part.width(); x += 2)
                colours.insert(part.pixel(x, y));
        }
        QVERIFY(colours.size() > 4);
    }
    QCOMPARE(shot.pixel(form.width() - 3, form.height() / 2), qRgb(255, 255, 255));
    // PHARVEL_SCREENSHOT_DIR names a folder to keep the picture in, for a look at the window.
    if (const QString folder = qEnvironmentVariable("PHARVEL_SCREENSHOT_DIR"); !folder.isEmpty()) {
        form.txtEntry->setPlainText(QStringLiteral("Oral, intramuscular.\nTablets 10 mg."));
        QVERIFY(form.grab().save(folder + QStringLiteral("/frmDrugInformation.png")));
    }
    form.close();
}

void tst_details::medicineDetailsOfItem()
{
    QFETCH(QString, engine);
    Details d(engine);
    d.db.Connection().Execute(
        QStringLiteral("UPDATE inventory.tbinvmaster SET Indication = ?, Dosage = ?, "
                       "Administration = ?, Preparation = ? WHERE itemid = 101"),
        {QStringLiteral("Severe pain"), QStringLiteral("10 mg every 4 hours\nat most 6 a day"),
         QStringLiteral("By mouth"), QStringLiteral("Patient's own blister pack")});
    frmMedDetails form(d.UserConnection());
    MessageLog log;
    const auto open = [&form](const QString& name, const QString& code) {
        form.SetItemName(name);
        form.SetItemCode(code);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
    };

    open(QStringLiteral("Morphine 10 mg tablet"), QStringLiteral("101"));
    QCOMPARE(form.txtItemName->text(), QStringLiteral("Morphine 10 mg tablet"));
    QCOMPARE(form.txtIndication->toPlainText(), QStringLiteral("Severe pain"));
    QCOMPARE(form.txtDosage->toPlainText(), QStringLiteral("10 mg every 4 hours\nat most 6 a day"));
    QCOMPARE(form.txtAdministration->toPlainText(), QStringLiteral("By mouth"));
    QCOMPARE(form.txtPreparation->toPlainText(), QStringLiteral("Patient's own blister pack"));
    form.close();

    // NULL columns, an unknown code, an empty code (a node that is no drug) and a code with an
    // apostrophe: four empty boxes, the name still shown, no message.
    for (const QString& code : {QStringLiteral("102"), QStringLiteral("999"), QString(),
                                QStringLiteral("1' OR '1'='1")}) {
        open(QStringLiteral("Name of ") + code, code);
        QCOMPARE(form.txtItemName->text(), QStringLiteral("Name of ") + code);
        for (const QPlainTextEdit* box :
             {form.txtIndication, form.txtDosage, form.txtAdministration, form.txtPreparation})
            QVERIFY2(box->toPlainText().isEmpty(), qPrintable(code));
        form.close();
    }
    QVERIFY(log.messages.isEmpty());
}

void tst_details::medicineDetailsWindowIsReadOnly()
{
    Details d(QStringLiteral("sqlite"));
    d.db.Connection().Execute(QStringLiteral("UPDATE inventory.tbinvmaster SET Indication = "
                                             "'Fever' WHERE itemid = 103"));
    frmMedDetails form(d.UserConnection());
    form.SetItemName(QStringLiteral("Paracetamol 500 mg tablet"));
    form.SetItemCode(QStringLiteral("103"));
    form.show();
    form.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&form));

    QCOMPARE(form.windowTitle(), QStringLiteral("Medicine Details"));
    QCOMPARE(form.size(), TwipsRect(0, 0, 8880, 6285, &form).size());
    QCOMPARE(form.minimumSize(), form.maximumSize());
    QVERIFY(!form.windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
    // Whatever font stands in for the designed one, no caption is cut off.
    for (const QLabel* label : {form.Label1, form.Label2, form.Label3, form.Label4, form.Label5})
        QVERIFY2(label->width() >= label->sizeHint().width(), qPrintable(label->text()));
    QCOMPARE(QApplication::focusWidget(), form.txtItemName);

    // Tab walks the boxes in order; typing into any of them changes nothing.
    QTest::keyClicks(form.txtItemName, QStringLiteral("xyz"));
    QCOMPARE(form.txtItemName->text(), QStringLiteral("Paracetamol 500 mg tablet"));
    for (QPlainTextEdit* box :
         {form.txtIndication, form.txtDosage, form.txtAdministration, form.txtPreparation}) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), box);
        QVERIFY(box->verticalScrollBarPolicy() == Qt::ScrollBarAlwaysOff);
        const QString before = box->toPlainText();
        QTest::keyClicks(box, QStringLiteral("typed"));
        QTest::keyClick(box, Qt::Key_Backspace);
        QCOMPARE(box->toPlainText(), before);
    }
    QCOMPARE(form.txtIndication->toPlainText(), QStringLiteral("Fever"));

    if (const QString folder = qEnvironmentVariable("PHARVEL_SCREENSHOT_DIR"); !folder.isEmpty())
        QVERIFY(form.grab().save(folder + QStringLiteral("/frmMedDetails.png")));
    form.close();
}

QTEST_MAIN(tst_details)
#include "tst_details.moc"
