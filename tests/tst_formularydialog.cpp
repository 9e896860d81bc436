#include "app/mdlPharvel.h"
#include "catalogue/frmPharvel.h"
#include "details/frmFormulary.h"
#include "fixtures/MainWindowDriver.h"
#include "fixtures/TestDatabase.h"
#include "platform/catalog/Pharvel.h"
#include "platform/db/AtcIndexStore.h"
#include "platform/db/ScopedTransaction.h"
#include "platform/user/clsCurrentUser.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTest>
#include <functional>

using namespace MainWindowDriver;

// The formulary window of a generic name, opened from the main window's menu: its checks as the
// user types, its save read back from the journal, another desktop's save in between, and a
// user who may only look.
class tst_formularydialog : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { QCOMPARE(QApplication::topLevelWidgets().size(), 0); }
    ON_EVERY_ENGINE(editedCheckedAndSaved);
};

namespace {

QString s(const char* text)
{
    return QString::fromUtf8(text);
}

frmFormulary* OpenForm()
{
    return qobject_cast<frmFormulary*>(QApplication::activeModalWidget());
}

void ChooseStatus(frmFormulary* form, const char* letter)
{
    form->cboStatus->setCurrentIndex(form->cboStatus->findData(s(letter)));
}

void TypeInto(QLineEdit* box, const QString& text)
{
    box->clear();
    QTest::keyClicks(box, text);
}

void AddAlternative(frmFormulary* form, const QString& search)
{
    TypeInto(form->txtFindAlternative, search);
    form->lstGenerics->setFocus();
    QTest::keyClick(form->lstGenerics, Qt::Key_Return);
}

// Opens the formulary window from the menu on the selected node and runs work in it.
void WithForm(frmPharvel* window, const std::function<void(frmFormulary*)>& work)
{
    bool ran = false;
    WhileOpen([&] {
        ran = true;
        frmFormulary* form = OpenForm();
        QVERIFY(form);
        work(form);
    });
    window->mnuFormulary->trigger();
    QVERIFY(ran);
}

int JournalRows(SQLConnection& connection, int generic)
{
    return connection
        .Scalar(s("SELECT count(*) FROM inventory.tbCatalogueJournal WHERE Action = "
                  "'formulary changed' AND EntryID = ?"),
                {generic})
        .toInt();
}

// A mistake typed into the form, the field that must say so, and how the mistake is put right.
struct Mistake
{
    const char* name;
    std::function<void(frmFormulary*)> make;
    std::function<QLabel*(frmFormulary*)> field;
    const char* says;
    std::function<void(frmFormulary*)> undo;
};

} // namespace

void tst_formularydialog::editedCheckedAndSaved()
{
    QFETCH(QString, engine);
    constexpr int kMorphine = 1;
    constexpr int kParacetamol = 2;
    const QString morphineKey = s("_1.1.1");
    FormularyRecord saved{kMorphine};
    {
        SampleTreeWindow w(engine);
        {
            ScopedTransaction transaction(w.db.Connection());
            AtcIndexStore::Replace(w.db.Connection(),
                                   {{s("Q01XY01"), s("testamol"), s("2"), s("g"), {}, {}}});
            transaction.Commit();
        }
        frmPharvel* window = w.window;
        ClickNode(window, s("_1"));
        ClickNode(window, s("_1.1"));
        QVERIFY(!window->mnuFormulary->isEnabled());
        ClickNode(window, morphineKey);
        QVERIFY(window->mnuFormulary->isEnabled());
        const QList<QAction*> items = window->mnuNew->actions();
        QCOMPARE(items.indexOf(window->mnuFormulary), items.indexOf(window->mnuOther) + 1);
        QSignalSpy savedSignal(window, &frmPharvel::FormularySaved);
        MessageLog log(MessageLog::YesToQuestions);

        WithForm(window, [&](frmFormulary* form) {
            QCOMPARE(form->windowTitle(), s("Formulary of Morphine"));
            QVERIFY(form->cmdSave->isEnabled());
            // The access keys reach their fields from anywhere in the window.
            QApplication::setActiveWindow(form);
            QVERIFY(QTest::qWaitForWindowActive(form));
            const std::pair<Qt::Key, QWidget*> accessKeys[] = {
                {Qt::Key_T, form->cboStatus},
                {Qt::Key_R, form->txtRestriction},
                {Qt::Key_F, form->txtReference},
                {Qt::Key_V, form->cboVen},
                {Qt::Key_I, form->txtFindAlternative}};
            for (const auto& [key, field] : accessKeys) {
                form->cmdClose->setFocus();
                QTest::keyClick(form->cmdClose, key, Qt::AltModifier);
                QCOMPARE(QApplication::focusWidget(), field);
            }
            const Mistake mistakes[] = {
                {"restricted without text", [](auto f) { ChooseStatus(f, "R"); },
                 [](auto f) { return f->lblRestrictionProblem; }, "who may prescribe it",
                 [](auto f) { QTest::keyClicks(f->txtRestriction, s("Pain team only.")); }},
                {"guidelines of blanks",
                 [](auto f) {
                     f->txtRestriction->clear();
                     QTest::keyClicks(f->txtRestriction, s("   "));
                     ChooseStatus(f, "G");
                 },
                 [](auto f) { return f->lblRestrictionProblem; }, "who may prescribe it",
                 [](auto f) { QTest::keyClicks(f->txtRestriction, s("Opioid guideline.")); }},
                {"reference too long",
                 [](auto f) { f->txtReference->setText(QString(201, QLatin1Char('x'))); },
                 [](auto f) { return f->lblReferenceProblem; }, "longer than 200",
                 [](auto f) { TypeInto(f->txtReference, s("DTC 2026/03 item 4")); }},
                {"code without code", [](auto f) { f->cmdAddCode->click(); },
                 [](auto f) { return f->lblCodesProblem; }, "Code 1: A reference code needs",
                 [](auto f) { TypeInto(f->txtCode, s("Q01XY01")); }},
                {"malformed ATC code",
                 [](auto f) {
                     f->cmdAddCode->click();
                     TypeInto(f->txtCode, s("q01xy01"));
                 },
                 [](auto f) { return f->lblCodesProblem; }, "Code 2:",
                 [](auto f) {
                     f->cboSystem->setFocus();
                     f->cboSystem->lineEdit()->selectAll();
                     QTest::keyClicks(f->cboSystem, s("national"));
                     TypeInto(f->txtCode, s("abc-17"));
                 }},
                {"code given twice",
                 [](auto f) {
                     f->cmdAddCode->click();
                     TypeInto(f->txtCode, s("Q01XY01"));
                 },
                 [](auto f) { return f->lblCodesProblem; }, "Code 3: The code ATC Q01XY01 is given",
                 [](auto f) { f->cmdRemoveCode->click(); }},
                {"its own alternative", [](auto f) { AddAlternative(f, s("orph")); },
                 [](auto f) { return f->lblAlternativesProblem; },
                 "Alternative 1: A generic name cannot be its own",
                 [](auto f) { f->cmdRemoveAlternative->click(); }},
                {"alternative listed twice",
                 [](auto f) {
                     AddAlternative(f, s("Paracetamol"));
                     AddAlternative(f, s("Paracetamol"));
                 },
                 [](auto f) { return f->lblAlternativesProblem; },
                 "Alternative 2:", [](auto f) { f->cmdRemoveAlternative->click(); }},
            };
            for (const Mistake& mistake : mistakes) {
                mistake.make(form);
                QVERIFY2(!form->cmdSave->isEnabled(), mistake.name);
                QLabel* field = mistake.field(form);
                QVERIFY2(field->isVisible() && field->text().contains(s(mistake.says)),
                         qPrintable(s(mistake.name) + s(": ") + field->text()));
                mistake.undo(form);
                QVERIFY2(form->cmdSave->isEnabled(),
                         qPrintable(form->Problems().join(QLatin1Char('|'))));
                QVERIFY2(!field->isVisible(), mistake.name);
            }
            // The index's name shows as the code is typed; the national code moves first.
            QCOMPARE(form->tblCodes->item(0, 2)->text(), s("testamol"));
            form->tblCodes->setCurrentCell(1, 0);
            form->cmdCodeUp->click();
            form->tblAlternatives->setCurrentCell(0, 0);
            form->cboKind->setCurrentIndex(form->cboKind->findData(s("T")));
            TypeInto(form->txtNote, s("1 g four times a day"));
            form->chkDecided->setChecked(true);
            form->dtpDecided->setDate(QDate(2026, 3, 1));
            form->cboVen->setCurrentIndex(form->cboVen->findData(s("V")));
            if (const QString folder = qEnvironmentVariable("PHARVEL_SCREENSHOT_DIR");
                !folder.isEmpty())
                QVERIFY(form->grab().save(folder + s("/frmFormulary.png")));
            saved = form->Edited();
            QTest::mouseClick(form->cmdSave, Qt::LeftButton);
            QVERIFY(!form->isVisible());
        });
        QVERIFY2(log.messages.isEmpty(), qPrintable(log.Texts()));
        QCOMPARE(savedSignal.size(), 1);
        QCOMPARE(savedSignal[0][0].toInt(), kMorphine);
        QCOMPARE(saved.status, s("G"));
        QCOMPARE(saved.restriction, s("   Opioid guideline."));
        QCOMPARE(saved.reviewOn, QDate());
        QCOMPARE(saved.codes,
                 (QList<ReferenceCode>{{s("national"), s("abc-17")}, {s("ATC"), s("Q01XY01")}}));
        QCOMPARE(saved.alternatives,
                 (QList<Alternative>{{kParacetamol, s("T"), s("1 g four times a day")}}));
        QCOMPARE(mdlPharvel::objPharvel->Formulary().ReadFormulary(kMorphine), saved);
        QCOMPARE(JournalRows(w.db.Connection(), kMorphine), 1);

        // Another desktop saves while this one edits: named, kept on No, overwritten on Yes.
        ClassPharvel::Pharvel other;
        QVERIFY(other.Connect(mdlPharvel::objCurrentUser->connectionstr()));
        FormularyRecord theirs = saved;
        theirs.status = s("Y");
        theirs.restriction.clear();
        WithForm(window, [&](frmFormulary* form) {
            QVERIFY(other.Formulary().SaveFormulary(theirs, saved).saved);
            ChooseStatus(form, "N");
            {
                MessageLog stale({MsgBox::Answer::No});
                QTest::mouseClick(form->cmdSave, Qt::LeftButton);
                QCOMPARE(stale.messages.size(), 1);
                QCOMPARE(stale.messages[0].buttons, MsgBox::Buttons::YesNo);
                QVERIFY2(stale.messages[0].text.contains(w.run.UserId()),
                         qPrintable(stale.Texts()));
            }
            QVERIFY(form->isVisible());
            QCOMPARE(form->Edited(), theirs);
            QVERIFY(other.Formulary().SaveFormulary(saved, theirs).saved);
            ChooseStatus(form, "N");
            MessageLog stale({MsgBox::Answer::Yes});
            QTest::mouseClick(form->cmdSave, Qt::LeftButton);
            QCOMPARE(stale.messages.size(), 1);
            QVERIFY(!form->isVisible());
        });
        FormularyRecord mine = theirs;
        mine.status = s("N");
        QCOMPARE(other.Formulary().ReadFormulary(kMorphine), mine);
        QCOMPARE(JournalRows(w.db.Connection(), kMorphine), 4);
        QCOMPARE(savedSignal.size(), 2);
    }

    // A user who may only look finds the command disabled, and a save is refused all the same.
    SampleTreeWindow w(engine, s("BB"));
    frmPharvel* window = w.window;
    ClickNode(window, s("_1"));
    ClickNode(window, s("_1.1"));
    ClickNode(window, morphineKey);
    QVERIFY(!window->mnuFormulary->isEnabled());
    MessageLog log(MessageLog::YesToQuestions);
    bool ran = false;
    WhileOpen([&] {
        ran = true;
        frmFormulary* form = OpenForm();
        QVERIFY(form);
        ChooseStatus(form, "Y");
        QTest::mouseClick(form->cmdSave, Qt::LeftButton);
        QCOMPARE(log.messages.size(), 1);
        QCOMPARE(log.messages[0].icon, MsgBox::Icon::Critical);
        QVERIFY2(log.messages[0].text.contains(s("Pharvel.SaveFormulary")),
                 qPrintable(log.Texts()));
        QVERIFY(form->isVisible());
    });
    window->mnuFormulary_Click();
    QVERIFY(ran);
    QVERIFY(mdlPharvel::objPharvel->Formulary().ReadFormulary(kMorphine).IsEmpty());
}

QTEST_MAIN(tst_formularydialog)
#include "tst_formularydialog.moc"
