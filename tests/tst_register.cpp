#include "app/mdlPharvel.h"
#include "fixtures/LoggedInRun.h"
#include "fixtures/SampleTree.h"
#include "fixtures/TestDatabase.h"
#include "fixtures/WhileOpen.h"
#include "platform/catalog/Pharvel.h"
#include "platform/user/clsCurrentUser.h"
#include "platform/widgets/FlexGrid.h"
#include "platform/widgets/MsgBox.h"
#include "register/frmEntry.h"
#include "register/frmGeneric.h"
#include "register/frmGenericEntry.h"

#include <QApplication>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <functional>

namespace {

// The register of a pharmacist logged in to the sample catalogue, whose generic names 1 to 3
// are filed in the tree, with two more filed nowhere. By name: Aciclovir, Amoxicillin,
// Ibuprofen, Morphine, Paracetamol.
struct Register
{
    explicit Register(const QString& engine) : db(engine), run(Filled(db))
    {
        form = std::make_unique<frmGeneric>(*mdlPharvel::objPharvel,
                                            *mdlPharvel::objCurrentUser->SQLConnection());
        form->show();
    }
    static TestDatabase& Filled(TestDatabase& db)
    {
        SampleTree::Fill(db.Connection());
        AddGeneric(db, 4, QStringLiteral("Aciclovir"));
        AddGeneric(db, 5, QStringLiteral("Ibuprofen"));
        return db;
    }
    static void AddGeneric(TestDatabase& db, int code, const QString& name)
    {
        db.Connection().Execute(QStringLiteral("INSERT INTO inventory.tbforgeneric "
                                               "(GenericCode, genericname) VALUES (?, ?)"),
                                {code, name});
    }
    int Count(const QString& name)
    {
        return db.Connection()
            .Scalar(QStringLiteral("SELECT count(*) FROM inventory.tbforgeneric "
                                   "WHERE genericname = ?"),
                    {name})
            .toInt();
    }
    QString Listed() const
    {
        QStringList names;
        for (int row = 1; row < form->flexMSHList->Rows(); ++row)
            names << form->flexMSHList->TextMatrix(row, 1);
        return names.join(QLatin1Char(','));
    }

    TestDatabase db;
    LoggedInRun run;
    std::unique_ptr<frmGeneric> form;
};

struct MessageLog
{
    explicit MessageLog(MsgBox::Answer answer)
        : handler([this, answer](const MsgBox::Message& message) {
              shown << message;
              return answer;
          })
    {}
    QList<MsgBox::Message> shown;
    ScopedMsgBoxHandler handler;
};

} // namespace

class tst_register : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { QCOMPARE(QApplication::topLevelWidgets().size(), 0); }
    ON_EVERY_ENGINE(searchUpperCasesAndReloadsPerLetter);
    ON_EVERY_ENGINE(deleteAsksAndSaysWhyNot);
    ON_EVERY_ENGINE(newNamesStayOpenAndRefuseDuplicates);
    ON_EVERY_ENGINE(renameRefusesDuplicatesAndKeepsLongNames);
    ON_EVERY_ENGINE(classificationEntry);
    void blankAndLongNames();
};

void tst_register::searchUpperCasesAndReloadsPerLetter()
{
    QFETCH(QString, engine);
    Register r(engine);
    QCOMPARE(r.Listed(), QStringLiteral("Aciclovir,Amoxicillin,Ibuprofen,Morphine,Paracetamol"));
    QCOMPARE(r.form->flexMSHList->TextMatrix(0, 0), QStringLiteral("Code "));
    QCOMPARE(r.form->flexMSHList->ColWidth(1), 5 * r.form->flexMSHList->ColWidth(0) - 300);
    // A name added behind the window's back shows at the next letter: every letter reloads.
    const char* expected[] = {"Aciclovir,Amoxicillin,Paracetamol,Zaci 1",
                              "Aciclovir,Paracetamol,Zaci 1,Zaci 2",
                              "Aciclovir,Zaci 1,Zaci 2,Zaci 3"};
    for (int n = 0; n < 3; ++n) {
        r.AddGeneric(r.db, 11 + n, QStringLiteral("Zaci %1").arg(n + 1));
        QTest::keyClick(r.form->txtSearch, "aci"[n]);
        QCOMPARE(r.form->txtSearch->text(), QStringLiteral("ACI").left(n + 1));
        QCOMPARE(r.Listed(), QString::fromLatin1(expected[n]));
    }
    QTest::keyClick(r.form->txtSearch, 'z');
    QCOMPARE(r.form->flexMSHList->Rows(), 2);
    QCOMPARE(r.Listed(), QString());

    // On the blank row Rename and Delete have nothing to act on.
    MessageLog log(MsgBox::Answer::Yes);
    r.form->cmdDelete->click();
    r.form->cmdRename->click();
    QVERIFY(log.shown.isEmpty());
    QVERIFY(!r.form->Update());
    r.form->close();
}

void tst_register::deleteAsksAndSaysWhyNot()
{
    QFETCH(QString, engine);
    Register r(engine);
    {
        MessageLog no(MsgBox::Answer::No);
        r.AddGeneric(r.db, 6, QStringLiteral("Zinc"));
        r.form->cmdDelete->click();
        QCOMPARE(no.shown.size(), 1);
        QCOMPARE(no.shown[0].text, QStringLiteral("Are you sure to delete this generic?"));
        QCOMPARE(no.shown[0].icon, MsgBox::Icon::Question);
        QCOMPARE(no.shown[0].buttons, MsgBox::Buttons::YesNo);
        QCOMPARE(r.Count(QStringLiteral("Aciclovir")), 1);
        QVERIFY2(r.Listed().endsWith(QStringLiteral("Zinc")), "No still reloads the list");
        QVERIFY(!r.form->Update());
    }
    MessageLog yes(MsgBox::Answer::Yes);
    r.form->flexMSHList->SetRow(4); // Morphine is filed under Opioids: refused, and said why
    r.form->cmdDelete->click();
    QCOMPARE(yes.shown.size(), 2);
    QCOMPARE(yes.shown[1].icon, MsgBox::Icon::Exclamation);
    QVERIFY2(yes.shown[1].text.contains(QStringLiteral("\"Morphine\" is still filed")),
             qPrintable(yes.shown[1].text));
    QVERIFY(!r.form->Update());

    r.form->cmdDelete->click(); // the reload put the current row back on the first data row
    QCOMPARE(r.Count(QStringLiteral("Aciclovir")), 0);
    QVERIFY(r.form->Update());

    r.form->flexMSHList->SetTextMatrix(1, 0, QStringLiteral("70000"));
    r.form->cmdDelete->click();
    QCOMPARE(yes.shown.last().icon, MsgBox::Icon::Critical);
    QVERIFY(yes.shown.last().text.contains(QStringLiteral("frmGeneric.cmdDelete_Click")));
    QCOMPARE(r.Count(QStringLiteral("Amoxicillin")), 1);
    r.form->close();
    QVERIFY2(r.form->Update(), "Update is read after the window has closed");

    // New followed by Close, saving nothing, still sets Update; it starts False at opening.
    r.form->show();
    QVERIFY(!r.form->Update());
    WhileOpen([] {});
    r.form->cmdNew->click();
    QVERIFY(r.form->Update());
    r.form->close();
}

void tst_register::newNamesStayOpenAndRefuseDuplicates()
{
    QFETCH(QString, engine);
    Register r(engine);
    QTest::keyClicks(r.form->txtSearch, QStringLiteral("o'"));
    frmGenericEntry& entry = r.form->GenericEntry();
    const QString name = QStringLiteral("O'Brien's 'Balm'");
    MessageLog log(MsgBox::Answer::Ok);
    bool stayedOpen = false;
    WhileOpen([&] {
        QCOMPARE(entry.Frame1->title(), QStringLiteral("Enter New Generic Name"));
        QTest::keyClicks(entry.txtEntry, name);
        entry.cmdSave->click();
        stayedOpen = entry.isVisible();
        QCOMPARE(entry.txtEntry->text(), QString());
        QVERIFY(!entry.cmdSave->isEnabled());
        QCOMPARE(r.Listed(), name); // reloaded with the register's search text

        const QString again = QStringLiteral("  ") + name + QStringLiteral(" ");
        QTest::keyClicks(entry.txtEntry, again);
        entry.cmdSave->click();
        QCOMPARE(entry.txtEntry->text(), again);
    });
    r.form->cmdNew->click();
    QVERIFY(stayedOpen);
    QCOMPARE(log.shown.size(), 1);
    QCOMPARE(log.shown[0].text, QStringLiteral("Generic name exists."));
    QCOMPARE(log.shown[0].icon, MsgBox::Icon::Information);
    QCOMPARE(r.Count(name), 1);
    QCOMPARE(mdlPharvel::objPharvel->Generics().ListGeneric(QString()).RecordCount(), 6);
    r.form->close();
}

void tst_register::renameRefusesDuplicatesAndKeepsLongNames()
{
    QFETCH(QString, engine);
    Register r(engine);
    const QString longName =
        QStringLiteral("Amoxicillin with clavulanic acid ") + QString(120, QLatin1Char('x'));
    Register::AddGeneric(r.db, 6, longName);
    QTest::keyClicks(r.form->txtSearch, QStringLiteral("i"));
    r.form->flexMSHList->SetRow(2);
    frmGenericEntry& entry = r.form->GenericEntry();
    MessageLog log(MsgBox::Answer::Ok);
    bool refusalKeptTheBox = false;
    WhileOpen([&] {
        QCOMPARE(entry.Frame1->title(), QStringLiteral("Rename Generic Name"));
        QCOMPARE(entry.txtEntry->text(), QStringLiteral("Amoxicillin"));
        QCOMPARE(entry.GenericCode(), QStringLiteral("3"));
        QVERIFY(entry.cmdSave->isEnabled());
        // Another entry's name, blanks around it: refused, the dialog open with the text.
        entry.txtEntry->setText(QStringLiteral(" Ibuprofen "));
        entry.cmdSave->click();
        refusalKeptTheBox =
            entry.isVisible() && entry.txtEntry->text() == QStringLiteral(" Ibuprofen ");
        entry.txtEntry->setText(QStringLiteral("Amoxicillin")); // its own name is no duplicate
        entry.cmdSave->click();
    });
    r.form->cmdRename->click();
    QVERIFY(refusalKeptTheBox);
    QVERIFY(!entry.isVisible());
    QCOMPARE(log.shown.size(), 1);
    QCOMPARE(log.shown[0].text, QStringLiteral("Generic name exists."));
    QCOMPARE(log.shown[0].icon, MsgBox::Icon::Information);
    QCOMPARE(r.Count(QStringLiteral("Ibuprofen")), 1);
    QCOMPARE(r.Listed(), QStringLiteral("Aciclovir,Amoxicillin,") + longName +
                             QStringLiteral(",Ibuprofen,Morphine"));
    QVERIFY(r.form->Update());

    // A stored name longer than the box takes for typing is saved whole when left unedited.
    r.form->flexMSHList->SetRow(3);
    qsizetype shown = 0;
    WhileOpen([&] {
        shown = entry.txtEntry->text().size();
        entry.cmdSave->click();
    });
    r.form->cmdRename->click();
    QCOMPARE(shown, longName.size());
    QCOMPARE(r.Count(longName), 1);
    // The next opening starts with an empty box that takes 100 characters again.
    QCOMPARE(entry.txtEntry->text(), QString());
    QCOMPARE(entry.txtEntry->maxLength(), 100);
    r.form->close();
}

void tst_register::classificationEntry()
{
    QFETCH(QString, engine);
    TestDatabase db(engine);
    SampleTree::AddClassification(db.Connection(), QStringLiteral("_0"), QStringLiteral("_1"), 1,
                                  QStringLiteral("Children's 'Own'"));
    frmEntry entry(db.Connection());
    entry.SetClasstype(QStringLiteral("2"));
    entry.show();
    QCOMPARE(entry.windowTitle(), QStringLiteral("Generic Name Entry"));
    QCOMPARE(entry.fraEntry->title(), QStringLiteral("&1. Type New Generic Name"));
    entry.cmdClose->click();
    entry.SetClasstype(QStringLiteral("1"));
    entry.show();
    QCOMPARE(entry.windowTitle(), QStringLiteral("Drug Classification Entry"));

    MessageLog log(MsgBox::Answer::Ok);
    QTest::keyClicks(entry.txtNewClassification, QStringLiteral(" Children's 'Own' "));
    entry.cmdOK->click();
    QCOMPARE(log.shown.size(), 1);
    QCOMPARE(log.shown[0].text, QStringLiteral("Classification name exists."));
    QVERIFY(entry.isVisible());
    entry.txtNewClassification->setText(QStringLiteral(" children's 'own' ")); // case counts
    entry.cmdOK->click();
    QVERIFY(!entry.isVisible());
    QCOMPARE(entry.ClassEntry(), QStringLiteral(" children's 'own' "));

    entry.show();
    QCOMPARE(entry.ClassEntry(), QString());
    QTest::keyClicks(entry.txtNewClassification, QStringLiteral("Antivirals"));
    entry.cmdClose->click();
    QCOMPARE(entry.ClassEntry(), QString());
    QCOMPARE(entry.DescriptionEntry(), QString());
}

void tst_register::blankAndLongNames()
{
    Register r(QStringLiteral("sqlite"));
    frmEntry classification(r.db.Connection());
    classification.show();
    frmGenericEntry& generic = r.form->GenericEntry();
    generic.show();
    for (const auto& [box, save] :
         {std::pair{classification.txtNewClassification, classification.cmdOK},
          std::pair{generic.txtEntry, generic.cmdSave}}) {
        QTest::keyClicks(box, QStringLiteral("   "));
        QVERIFY(!save->isEnabled());
        QTest::keyClicks(box, QStringLiteral("x"));
        QVERIFY(save->isEnabled());
        box->insert(QString(150, QLatin1Char('n')));
    }
    QCOMPARE(generic.txtEntry->text().size(), 100);
    QCOMPARE(classification.txtNewClassification->text().size(), 154);
    classification.close();
    generic.close();
    r.form->close();
}

QTEST_MAIN(tst_register)
#include "tst_register.moc"
