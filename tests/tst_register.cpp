#include "app/mdlPharvel.h"
#include "fixtures/LoggedInRun.h"
#include "fixtures/SampleTree.h"
#include "fixtures/TestDatabase.h"
#include "platform/catalog/Pharvel.h"
#include "platform/db/PharvelError.h"
#include "platform/user/clsCurrentUser.h"
#include "platform/widgets/FlexGrid.h"
#include "platform/widgets/FlexGridModel.h"
#include "platform/widgets/MsgBox.h"
#include "register/frmEntry.h"
#include "register/frmGeneric.h"
#include "register/frmGenericEntry.h"

#include <QApplication>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>

namespace {

// The register of a pharmacist logged in to the sample catalogue, whose generic names 1 to 3 are
// filed in the tree, and two more that are filed nowhere. Sorted by name the list reads
// Aciclovir, Amoxicillin, Ibuprofen, Morphine, Paracetamol.
struct Register
{
    explicit Register(const QString& engine) : db(engine), run(Filled(db))
    {
        form = std::make_unique<frmGeneric>(*mdlPharvel::objPharvel,
                                            *mdlPharvel::objCurrentUser->SQLConnection());
    }
    static TestDatabase& Filled(TestDatabase& db)
    {
        SampleTree::Fill(db.Connection());
        for (const auto& [code, name] : {std::pair{4, "Aciclovir"}, std::pair{5, "Ibuprofen"}})
            AddGeneric(db, code, QString::fromUtf8(name));
        return db;
    }
    static void AddGeneric(TestDatabase& db, int code, const QString& name)
    {
        db.Connection().Execute(QStringLiteral("INSERT INTO inventory.tbforgeneric "
                                               "(GenericCode, genericname) VALUES (?, ?)"),
                                {code, name});
    }
    ~Register() { form.reset(); }

    void AddGeneric(int code, const QString& name) { AddGeneric(db, code, name); }
    int CountNamed(const QString& name)
    {
        return db.Connection()
            .Scalar(QStringLiteral("SELECT count(*) FROM inventory.tbforgeneric "
                                   "WHERE genericname = ?"),
                    {name})
            .toInt();
    }
    QStringList ListedNames() const
    {
        QStringList names;
        for (int row = 1; row < form->flexMSHList->Rows(); ++row) {
            if (!form->flexMSHList->TextMatrix(row, 0).isEmpty())
                names << form->flexMSHList->TextMatrix(row, 1);
        }
        return names;
    }
    void Open()
    {
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    }

    TestDatabase db;
    LoggedInRun run;
    std::unique_ptr<frmGeneric> form;
};

// Runs work while the next modal dialog is open; a check failing in it closes the dialog.
void WhileModal(std::function<void()> work)
{
    QTimer::singleShot(0, qApp, [work = std::move(work)] {
        QWidget* dialog = QApplication::activeModalWidget();
        work();
        if (dialog && dialog->isVisible())
            dialog->close();
    });
}

QStringList Names(std::initializer_list<const char*> names)
{
    QStringList list;
    for (const char* name : names)
        list << QString::fromUtf8(name);
    return list;
}

// Records every message and answers with the given button.
struct MessageLog
{
    explicit MessageLog(MsgBox::Answer answer)
        : handler([this, answer](const MsgBox::Message& message) {
              shown << message;
              return answer;
          })
    {
    }
    QList<MsgBox::Message> shown;
    ScopedMsgBoxHandler handler;
};

} // namespace

class tst_register : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();

    void openingListsEveryNameWithItsCode_data() { TestDatabase::AddEngineRows(); }
    void openingListsEveryNameWithItsCode();
    void searchUpperCasesAndReloadsPerLetter_data() { TestDatabase::AddEngineRows(); }
    void searchUpperCasesAndReloadsPerLetter();
    void emptyListIsLeftAlone_data() { TestDatabase::AddEngineRows(); }
    void emptyListIsLeftAlone();
    void deleteAnsweredNoOnlyReloads_data() { TestDatabase::AddEngineRows(); }
    void deleteAnsweredNoOnlyReloads();
    void deleteActsOnTheCurrentRow_data() { TestDatabase::AddEngineRows(); }
    void deleteActsOnTheCurrentRow();
    void deleteOfFiledNameIsRefusedClearly_data() { TestDatabase::AddEngineRows(); }
    void deleteOfFiledNameIsRefusedClearly();
    void deleteOfCodeBeyond16BitsIsAnError();
    void newNamesStayOpenAndRefuseDuplicates_data() { TestDatabase::AddEngineRows(); }
    void newNamesStayOpenAndRefuseDuplicates();
    void newThenCloseSetsUpdate();
    void renameClosesAndReloadsWithSameSearch_data() { TestDatabase::AddEngineRows(); }
    void renameClosesAndReloadsWithSameSearch();

    void entryCaptionsFollowClasstype_data();
    void entryCaptionsFollowClasstype();
    void entryChecksTrimmedNameAndReturnsItAsTyped_data() { TestDatabase::AddEngineRows(); }
    void entryChecksTrimmedNameAndReturnsItAsTyped();
    void entryClosedWithoutSavingReturnsNothing();
    void blankNamesCannotBeSaved();
    void nameLengths();
};

void tst_register::cleanup()
{
    QCOMPARE(QApplication::topLevelWidgets().size(), 0);
}

void tst_register::openingListsEveryNameWithItsCode()
{
    QFETCH(QString, engine);
    Register r(engine);
    r.Open();
    FlexGrid& grid = *r.form->flexMSHList;
    QCOMPARE(r.ListedNames(), Names({"Aciclovir", "Amoxicillin", "Ibuprofen", "Morphine",
                                     "Paracetamol"}));
    QCOMPARE(grid.TextMatrix(0, 0), QStringLiteral("Code "));
    QCOMPARE(grid.TextMatrix(0, 1), QStringLiteral("Generic Name"));
    QCOMPARE(grid.TextMatrix(1, 0), QStringLiteral("4"));
    QCOMPARE(grid.FixedCols(), 0);
    QCOMPARE(grid.Row(), 1);
    QCOMPARE(grid.ColWidth(0), 1053); // 6315 / 6
    QCOMPARE(grid.ColWidth(1), 5 * 1053 - 300);
    QCOMPARE(grid.GridModel()->CellBackColor(1, 0), grid.palette().color(QPalette::Highlight));
    QVERIFY(!r.form->Update());
    r.form->close();
}

void tst_register::searchUpperCasesAndReloadsPerLetter()
{
    QFETCH(QString, engine);
    Register r(engine);
    r.Open();
    const QList<QStringList> expected{
        Names({"Aciclovir", "Amoxicillin", "Paracetamol", "Zaci 1"}),
        Names({"Aciclovir", "Paracetamol", "Zaci 1", "Zaci 2"}),
        Names({"Aciclovir", "Zaci 1", "Zaci 2", "Zaci 3"})};
    const QStringList typed{QStringLiteral("A"), QStringLiteral("AC"), QStringLiteral("ACI")};
    for (int letter = 0; letter < 3; ++letter) {
        // A name added behind the window's back shows at the next letter: each letter reloads.
        r.AddGeneric(11 + letter, QStringLiteral("Zaci %1").arg(letter + 1));
        QTest::keyClick(r.form->txtSearch, "aci"[letter]);
        QCOMPARE(r.form->txtSearch->text(), typed[letter]);
        QCOMPARE(r.ListedNames(), expected[letter]);
    }
    QVERIFY(!r.form->Update());
    r.form->close();
}

void tst_register::emptyListIsLeftAlone()
{
    QFETCH(QString, engine);
    Register r(engine);
    r.Open();
    QTest::keyClicks(r.form->txtSearch, QStringLiteral("zz"));
    FlexGrid& grid = *r.form->flexMSHList;
    QCOMPARE(grid.Rows(), 2);
    QCOMPARE(grid.TextMatrix(0, 1), QStringLiteral("Generic Name"));
    QCOMPARE(grid.TextMatrix(1, 0), QString());

    // Rename and Delete have no generic name to act on: no dialog, no message, no change.
    MessageLog log(MsgBox::Answer::Yes);
    r.form->cmdDelete->click();
    r.form->cmdRename->click();
    QVERIFY(log.shown.isEmpty());
    QVERIFY(!r.form->GenericEntry().isVisible());
    QVERIFY(!r.form->Update());
    r.form->close();
}

void tst_register::deleteAnsweredNoOnlyReloads()
{
    QFETCH(QString, engine);
    Register r(engine);
    r.Open();
    r.AddGeneric(6, QStringLiteral("Zinc"));
    MessageLog log(MsgBox::Answer::No);
    r.form->cmdDelete->click();
    QCOMPARE(log.shown.size(), 1);
    QCOMPARE(log.shown[0].text, QStringLiteral("Are you sure to delete this generic?"));
    QCOMPARE(log.shown[0].icon, MsgBox::Icon::Question);
    QCOMPARE(log.shown[0].buttons, MsgBox::Buttons::YesNo);
    QCOMPARE(log.shown[0].title, MsgBox::ApplicationTitle());
    QCOMPARE(r.CountNamed(QStringLiteral("Aciclovir")), 1);
    QVERIFY(r.ListedNames().contains(QStringLiteral("Zinc")));
    QVERIFY(!r.form->Update());
    r.form->close();
}

void tst_register::deleteActsOnTheCurrentRow()
{
    QFETCH(QString, engine);
    Register r(engine);
    r.Open();
    MessageLog log(MsgBox::Answer::Yes);
    r.form->cmdDelete->click(); // the first data row, untouched
    QCOMPARE(r.CountNamed(QStringLiteral("Aciclovir")), 0);
    QVERIFY(r.form->Update());

    r.form->flexMSHList->SetRow(2); // Amoxicillin, Ibuprofen, ...
    r.form->cmdDelete->click();
    QCOMPARE(r.CountNamed(QStringLiteral("Ibuprofen")), 0);
    QCOMPARE(r.ListedNames(), Names({"Amoxicillin", "Morphine", "Paracetamol"}));
    QCOMPARE(log.shown.size(), 2);
    r.form->close();
    QVERIFY2(r.form->Update(), "Update is read after the window has closed");
}

void tst_register::deleteOfFiledNameIsRefusedClearly()
{
    QFETCH(QString, engine);
    Register r(engine);
    r.Open();
    r.form->flexMSHList->SetRow(4); // Morphine, filed under Opioids
    MessageLog log(MsgBox::Answer::Yes);
    r.form->cmdDelete->click();
    QCOMPARE(log.shown.size(), 2);
    QCOMPARE(log.shown[1].icon, MsgBox::Icon::Exclamation);
    QVERIFY2(log.shown[1].text.contains(QStringLiteral("still filed")),
             qPrintable(log.shown[1].text));
    QCOMPARE(r.CountNamed(QStringLiteral("Morphine")), 1);
    QVERIFY(!r.form->Update());
    QCOMPARE(r.ListedNames().size(), 5);
    r.form->close();
}

void tst_register::deleteOfCodeBeyond16BitsIsAnError()
{
    Register r(QStringLiteral("sqlite"));
    r.Open();
    r.form->flexMSHList->SetTextMatrix(1, 0, QStringLiteral("70000"));
    MessageLog log(MsgBox::Answer::Yes);
    r.form->cmdDelete->click();
    QCOMPARE(log.shown.size(), 2);
    QCOMPARE(log.shown[1].icon, MsgBox::Icon::Critical);
    QVERIFY2(log.shown[1].text.contains(QStringLiteral("70000")), qPrintable(log.shown[1].text));
    QVERIFY(log.shown[1].text.contains(QStringLiteral("frmGeneric.cmdDelete_Click")));
    QCOMPARE(r.CountNamed(QStringLiteral("Aciclovir")), 1);
    QVERIFY(!r.form->Update());
    r.form->close();
}

void tst_register::newNamesStayOpenAndRefuseDuplicates()
{
    QFETCH(QString, engine);
    Register r(engine);
    r.Open();
    QTest::keyClicks(r.form->txtSearch, QStringLiteral("o'"));
    QCOMPARE(r.ListedNames(), QStringList());
    frmGenericEntry& entry = r.form->GenericEntry();
    const QString apostrophes = QStringLiteral("O'Brien's 'Balm'");
    MessageLog log(MsgBox::Answer::Ok);
    bool stayedOpen = false;
    WhileModal([&] {
        QCOMPARE(entry.Frame1->title(), QStringLiteral("Enter New Generic Name"));
        QVERIFY(!entry.cmdSave->isEnabled());
        QTest::keyClicks(entry.txtEntry, apostrophes);
        entry.cmdSave->click();
        stayedOpen = entry.isVisible();
        QCOMPARE(entry.txtEntry->text(), QString());
        QVERIFY(!entry.cmdSave->isEnabled());
        QVERIFY(log.shown.isEmpty());
        // The register behind the dialog was reloaded with its search text.
        QCOMPARE(r.ListedNames(), QStringList{apostrophes});

        // The same name with blanks around it is looked up without them.
        const QString again = QStringLiteral("  ") + apostrophes + QStringLiteral(" ");
        QTest::keyClicks(entry.txtEntry, again);
        entry.cmdSave->click();
        QCOMPARE(log.shown.size(), 1);
        QCOMPARE(log.shown[0].text, QStringLiteral("Generic name exists."));
        QCOMPARE(log.shown[0].icon, MsgBox::Icon::Information);
        QCOMPARE(entry.txtEntry->text(), again);
        entry.cmdClose->click();
    });
    r.form->cmdNew->click();
    QVERIFY(stayedOpen);
    QVERIFY(!entry.isVisible());
    QCOMPARE(r.CountNamed(apostrophes), 1);
    QCOMPARE(mdlPharvel::objPharvel->Generics().ListGeneric(QString()).RecordCount(), 6);
    QVERIFY(r.form->Update());
    r.form->close();
}

void tst_register::newThenCloseSetsUpdate()
{
    Register r(QStringLiteral("sqlite"));
    for (int opening = 0; opening < 2; ++opening) {
        r.Open();
        QVERIFY2(!r.form->Update(), "Update starts False at every opening");
        WhileModal([&] { r.form->GenericEntry().close(); });
        r.form->cmdNew->click();
        QVERIFY(r.form->Update());
        r.form->close();
    }
    QVERIFY2(r.ListedNames().isEmpty(), "unloaded: the row set is released");
}

void tst_register::renameClosesAndReloadsWithSameSearch()
{
    QFETCH(QString, engine);
    Register r(engine);
    r.Open();
    QTest::keyClicks(r.form->txtSearch, QStringLiteral("i"));
    r.form->flexMSHList->SetRow(2); // Aciclovir, Amoxicillin, Ibuprofen, Morphine
    frmGenericEntry& entry = r.form->GenericEntry();
    MessageLog log(MsgBox::Answer::Ok);
    WhileModal([&] {
        QCOMPARE(entry.Frame1->title(), QStringLiteral("Rename Generic Name"));
        QCOMPARE(entry.txtEntry->text(), QStringLiteral("Amoxicillin"));
        QCOMPARE(entry.GenericCode(), QStringLiteral("3"));
        QVERIFY(entry.cmdSave->isEnabled());
        // Renaming to a name another generic carries is the component's business.
        entry.txtEntry->setText(QStringLiteral("Ibuprofen"));
        entry.cmdSave->click();
    });
    r.form->cmdRename->click();
    QVERIFY(!entry.isVisible());
    QVERIFY2(log.shown.isEmpty(), qPrintable(log.shown.value(0).text));
    QCOMPARE(r.CountNamed(QStringLiteral("Ibuprofen")), 2);
    QCOMPARE(r.form->txtSearch->text(), QStringLiteral("I"));
    QCOMPARE(r.ListedNames(),
             Names({"Aciclovir", "Ibuprofen", "Ibuprofen", "Morphine"}));
    QVERIFY(r.form->Update());

    // The next opening of the dialog starts with an empty box.
    WhileModal([&] {
        QCOMPARE(entry.txtEntry->text(), QString());
        entry.close();
    });
    r.form->cmdNew->click();
    r.form->close();
}

void tst_register::entryCaptionsFollowClasstype_data()
{
    QTest::addColumn<QString>("classtype");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("frame");
    QTest::newRow("1") << "1" << "Drug Classification Entry" << "&1. Type New Classification";
    QTest::newRow("2") << "2" << "Generic Name Entry" << "&1. Type New Generic Name";
    QTest::newRow("other") << "3" << "Classification Entry" << "&1. Type New Classification";
}

void tst_register::entryCaptionsFollowClasstype()
{
    QFETCH(QString, classtype);
    QFETCH(QString, title);
    QFETCH(QString, frame);
    TestDatabase db(QStringLiteral("sqlite"));
    frmEntry entry(db.Connection());
    entry.SetClasstype(QStringLiteral("2"));
    entry.show();
    entry.close();
    entry.SetClasstype(classtype);
    entry.show();
    QCOMPARE(entry.windowTitle(), title);
    QCOMPARE(entry.fraEntry->title(), frame);
    QVERIFY(!entry.fraEntry2->isVisible());
    entry.close();
}

void tst_register::entryChecksTrimmedNameAndReturnsItAsTyped()
{
    QFETCH(QString, engine);
    TestDatabase db(engine);
    SampleTree::Fill(db.Connection());
    SampleTree::AddClassification(db.Connection(), QStringLiteral("_0"), QStringLiteral("_4"), 5,
                                  QStringLiteral("Children's 'Own'"));
    frmEntry entry(db.Connection());
    entry.SetClasstype(QStringLiteral("1"));
    entry.show();
    MessageLog log(MsgBox::Answer::Ok);
    for (const QString& taken :
         {QStringLiteral("  Analgesics "), QStringLiteral("Children's 'Own'")}) {
        QTest::keyClicks(entry.txtNewClassification, taken);
        entry.cmdOK->click();
        QVERIFY(entry.isVisible());
        QCOMPARE(entry.txtNewClassification->text(), taken);
        entry.txtNewClassification->clear();
    }
    QCOMPARE(log.shown.size(), 2);
    QCOMPARE(log.shown[0].text, QStringLiteral("Classification name exists."));
    QCOMPARE(log.shown[0].icon, MsgBox::Icon::Information);
    QCOMPARE(log.shown[0].title, MsgBox::ApplicationTitle());
    QCOMPARE(entry.ClassEntry(), QString());

    // Letter case counts: "analgesics" is a new name.
    const QString name = QStringLiteral(" analgesics ");
    QTest::keyClicks(entry.txtNewClassification, name);
    entry.cmdOK->click();
    QVERIFY(!entry.isVisible());
    QCOMPARE(log.shown.size(), 2);
    QCOMPARE(entry.ClassEntry(), name);
    QCOMPARE(entry.DescriptionEntry(), QString());

    // Opening again resets what the last opening returned.
    entry.show();
    QCOMPARE(entry.ClassEntry(), QString());
    QCOMPARE(entry.txtNewClassification->text(), QString());
    entry.close();
}

void tst_register::entryClosedWithoutSavingReturnsNothing()
{
    TestDatabase db(QStringLiteral("sqlite"));
    frmEntry entry(db.Connection());
    entry.SetClasstype(QStringLiteral("1"));
    entry.show();
    QTest::keyClicks(entry.txtNewClassification, QStringLiteral("Antivirals"));
    entry.cmdClose->click();
    QVERIFY(!entry.isVisible());
    QCOMPARE(entry.ClassEntry(), QString());
    QCOMPARE(entry.DescriptionEntry(), QString());
}

void tst_register::blankNamesCannotBeSaved()
{
    Register r(QStringLiteral("sqlite"));
    frmEntry classification(r.db.Connection());
    classification.show();
    frmGenericEntry& generic = r.form->GenericEntry();
    generic.SetMode(frmGenericEntry::NewName);
    generic.show();
    const std::pair<QLineEdit*, QPushButton*> dialogs[] = {
        {classification.txtNewClassification, classification.cmdOK},
        {generic.txtEntry, generic.cmdSave}};
    for (const auto& [box, save] : dialogs) {
        QVERIFY(!save->isEnabled());
        QTest::keyClicks(box, QStringLiteral("   "));
        QVERIFY(!save->isEnabled());
        QTest::keyClicks(box, QStringLiteral("x"));
        QVERIFY(save->isEnabled());
        QTest::keyClick(box, Qt::Key_Backspace);
        QVERIFY(!save->isEnabled());
    }
    classification.close();
    generic.close();
}

void tst_register::nameLengths()
{
    Register r(QStringLiteral("sqlite"));
    frmEntry classification(r.db.Connection());
    frmGenericEntry& generic = r.form->GenericEntry();
    const QString longName(150, QLatin1Char('n'));
    generic.txtEntry->insert(longName);
    classification.txtNewClassification->insert(longName);
    QCOMPARE(generic.txtEntry->text().size(), 100);
    QCOMPARE(classification.txtNewClassification->text(), longName);
}

QTEST_MAIN(tst_register)
#include "tst_register.moc"
