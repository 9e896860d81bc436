#include "details/frmFormulary.h"

#include "details/StaleSaveQuestion.h"
#include "platform/catalog/clsFormulary.h"
#include "platform/catalog/clsGenerics.h"
#include "platform/db/AtcCode.h"
#include "platform/widgets/ErrorHandler.h"
#include "platform/widgets/MsgBox.h"
#include "platform/widgets/Twips.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

// The register's matches the picker lists at most; typing more of the name narrows them.
constexpr int kMatchesShown = 100;
const QColor kProblemColour(170, 0, 0);

// The data layer's words ("restricted", "vital", ...) as this window shows them.
QString Translated(const QString& word)
{
    return frmFormulary::tr(qUtf8Printable(word));
}

// A word with its letter, "restricted (R)"; the empty letter shows the word alone.
QString WithLetter(const QString& word, const QString& letter)
{
    return letter.isEmpty() ? Translated(word)
                            : QStringLiteral("%1 (%2)").arg(Translated(word), letter);
}

QLabel* ProblemLabel(QWidget* parent)
{
    auto* label = new QLabel(parent);
    label->setWordWrap(true);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, kProblemColour);
    label->setPalette(palette);
    label->hide();
    return label;
}

void ShowProblems(QLabel* label, const QStringList& problems)
{
    label->setText(problems.join(QLatin1Char('\n')));
    label->setVisible(!problems.isEmpty());
}

QLabel* BuddyLabel(const QString& text, QWidget* buddy)
{
    auto* label = new QLabel(text, buddy->parentWidget());
    label->setBuddy(buddy);
    return label;
}

QTableWidget* ListTable(const QStringList& headers, QWidget* parent)
{
    auto* table = new QTableWidget(0, static_cast<int>(headers.size()), parent);
    table->setHorizontalHeaderLabels(headers);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->verticalHeader()->hide();
    table->horizontalHeader()->setStretchLastSection(true);
    table->setTabKeyNavigation(false);
    return table;
}

void SetRow(QTableWidget* table, int row, const QStringList& texts, const QStringList& problems)
{
    for (int column = 0; column < texts.size(); ++column) {
        QTableWidgetItem* item = table->item(row, column);
        if (!item) {
            item = new QTableWidgetItem;
            table->setItem(row, column, item);
        }
        item->setText(texts[column]);
        item->setToolTip(problems.join(QLatin1Char('\n')));
        item->setForeground(problems.isEmpty() ? table->palette().text() : QBrush(kProblemColour));
    }
}

// The problems each row of a list brings: what FormularyProblems finds in the rows up to it
// that it did not find in the rows before it (so a row given twice is the later one's).
template <class Row>
QList<QStringList> RowProblems(CatalogueId::Generic generic, const QList<Row>& rows,
                               QList<Row> FormularyRecord::*list)
{
    QList<QStringList> result;
    FormularyRecord record{generic};
    QStringList before;
    for (const Row& row : rows) {
        (record.*list) << row;
        const QStringList upToHere = FormularyProblems(record);
        QStringList added = upToHere;
        for (const QString& problem : before)
            added.removeOne(problem);
        result << added;
        before = upToHere;
    }
    return result;
}

QStringList Numbered(const QString& what, const QList<QStringList>& rows)
{
    QStringList lines;
    for (int row = 0; row < rows.size(); ++row) {
        for (const QString& problem : rows[row])
            lines << QStringLiteral("%1 %2: %3").arg(what).arg(row + 1).arg(problem);
    }
    return lines;
}

QPushButton* MoveButton(const QString& text, const QString& toolTip, QWidget* parent)
{
    auto* button = new QPushButton(text, parent);
    button->setToolTip(toolTip);
    button->setAccessibleName(toolTip);
    return button;
}

} // namespace

frmFormulary::frmFormulary(ClassPharvel::clsFormulary& formulary,
                           ClassPharvel::clsGenerics& generics, QWidget* parent)
    : FreshReadDialog(parent), m_formulary(formulary), m_generics(generics)
{
    setObjectName(QStringLiteral("frmFormulary"));
    setSizeGripEnabled(true);
    setWindowFlag(Qt::WindowMaximizeButtonHint, true);

    // Created in the order the user tabs through them.
    QWidget* decision = CreateDecision();
    auto* lists = new QHBoxLayout;
    lists->addWidget(CreateCodes(), 1);
    lists->addWidget(CreateAlternatives(), 1);

    cmdSave = new QPushButton(tr("&Save"), this);
    cmdClose = new QPushButton(tr("Close"), this);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdSave);
    buttons->addWidget(cmdClose);
    // Enter in a field never saves by surprise: each button takes Enter only when it has focus.
    for (QPushButton* button : findChildren<QPushButton*>())
        button->setAutoDefault(false);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(decision);
    layout->addLayout(lists, 1);
    layout->addLayout(buttons);
    // At a high scale on a small screen the window's own size would run off the screen.
    const QSize wanted = TwipsRect(0, 0, 12600, 9900, this).size();
    resize(screen() ? wanted.boundedTo(screen()->availableSize()) : wanted);

    connectGuarded(cmdSave, &QPushButton::clicked, this, &frmFormulary::cmdSave_Click);
    connectGuarded(cmdClose, &QPushButton::clicked, this, &frmFormulary::cmdClose_Click);
}

QWidget* frmFormulary::CreateDecision()
{
    auto* box = new QGroupBox(tr("Decision"), this);
    auto* form = new QFormLayout(box);

    cboStatus = new QComboBox(box);
    for (const QString& status : FormularyStatus::All())
        cboStatus->addItem(WithLetter(FormularyStatus::Word(status), status), status);
    form->addRow(tr("S&tatus:"), cboStatus);

    txtRestriction = new QPlainTextEdit(box);
    txtRestriction->setTabChangesFocus(true);
    txtRestriction->setPlaceholderText(tr("Who may prescribe it, for what and for how long"));
    txtRestriction->setFixedHeight(Twips::ToPixels(1100, this));
    lblRestrictionProblem = ProblemLabel(box);
    auto* restriction = new QVBoxLayout;
    restriction->addWidget(txtRestriction);
    restriction->addWidget(lblRestrictionProblem);
    form->addRow(BuddyLabel(tr("&Restriction or guidelines:"), txtRestriction), restriction);

    const auto dateRow = [&](const QString& caption, QCheckBox*& check, QDateEdit*& date) {
        check = new QCheckBox(caption, box);
        date = new QDateEdit(box);
        date->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
        date->setCalendarPopup(true);
        date->setEnabled(false);
        connect(check, &QCheckBox::toggled, date, &QWidget::setEnabled);
        connectGuarded(check, &QCheckBox::toggled, this, &frmFormulary::CheckForm);
        connectGuarded(date, &QDateEdit::dateChanged, this, &frmFormulary::CheckForm);
        auto* row = new QHBoxLayout;
        row->addWidget(check);
        row->addWidget(date);
        row->addStretch(1);
        return row;
    };
    auto* dates = dateRow(tr("&Decided on"), chkDecided, dtpDecided);
    dates->addLayout(dateRow(tr("Ne&xt review on"), chkReview, dtpReview));
    form->addRow(tr("Dates:"), dates);

    txtReference = new QLineEdit(box);
    txtReference->setPlaceholderText(tr("The committee's minute"));
    lblReferenceProblem = ProblemLabel(box);
    auto* reference = new QVBoxLayout;
    reference->addWidget(txtReference);
    reference->addWidget(lblReferenceProblem);
    form->addRow(BuddyLabel(tr("Re&ference:"), txtReference), reference);

    cboVen = new QComboBox(box);
    for (const QString& category :
         {VenCategory::Vital, VenCategory::Essential, VenCategory::NonEssential, QString()})
        cboVen->addItem(WithLetter(VenCategory::Word(category), category), category);
    form->addRow(tr("&VEN category:"), cboVen);

    connectGuarded(cboStatus, &QComboBox::currentIndexChanged, this, &frmFormulary::CheckForm);
    connectGuarded(txtRestriction, &QPlainTextEdit::textChanged, this, &frmFormulary::CheckForm);
    connectGuarded(txtReference, &QLineEdit::textChanged, this, &frmFormulary::CheckForm);
    connectGuarded(cboVen, &QComboBox::currentIndexChanged, this, &frmFormulary::CheckForm);
    return box;
}

QWidget* frmFormulary::CreateCodes()
{
    auto* box = new QGroupBox(tr("Reference codes"), this);
    tblCodes = ListTable({tr("System"), tr("Code"), tr("Name in the ATC index")}, box);
    cboSystem = new QComboBox(box);
    cboSystem->setEditable(true);
    cboSystem->setInsertPolicy(QComboBox::NoInsert);
    cboSystem->addItem(AtcCode::kSystem);
    txtCode = new QLineEdit(box);
    cmdAddCode = new QPushButton(tr("Add c&ode"), box);
    cmdRemoveCode = new QPushButton(tr("Remove"), box);
    cmdCodeUp = MoveButton(tr("Up"), tr("Move the code up"), box);
    cmdCodeDown = MoveButton(tr("Down"), tr("Move the code down"), box);

    lblCodesProblem = ProblemLabel(box);
    auto* editors = new QFormLayout;
    editors->addRow(tr("Code s&ystem:"), cboSystem);
    editors->addRow(tr("&Code:"), txtCode);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* button : {cmdAddCode, cmdRemoveCode, cmdCodeUp, cmdCodeDown})
        buttons->addWidget(button);
    buttons->addStretch(1);
    auto* layout = new QVBoxLayout(box);
    layout->addWidget(tblCodes, 1);
    layout->addLayout(editors);
    layout->addWidget(lblCodesProblem);
    layout->addLayout(buttons);

    connectGuarded(tblCodes, &QTableWidget::currentCellChanged, this,
                   &frmFormulary::ShowCurrentCode);
    connectGuarded(cboSystem, &QComboBox::editTextChanged, this, &frmFormulary::CodeEdited);
    connectGuarded(txtCode, &QLineEdit::textChanged, this, &frmFormulary::CodeEdited);
    connectGuarded(cmdAddCode, &QPushButton::clicked, this, &frmFormulary::cmdAddCode_Click);
    connectGuarded(cmdRemoveCode, &QPushButton::clicked, this, &frmFormulary::cmdRemoveCode_Click);
    connect(cmdCodeUp, &QPushButton::clicked, this,
            [this] { Guarded([this] { cmdMoveCode_Click(-1); }); });
    connect(cmdCodeDown, &QPushButton::clicked, this,
            [this] { Guarded([this] { cmdMoveCode_Click(1); }); });
    return box;
}

QWidget* frmFormulary::CreateAlternatives()
{
    auto* box = new QGroupBox(tr("Therapeutic alternatives"), this);
    txtFindAlternative = new QLineEdit(box);
    txtFindAlternative->setPlaceholderText(tr("Type part of a generic name"));
    txtFindAlternative->setClearButtonEnabled(true);
    lstGenerics = new QListWidget(box);
    cmdAddAlternative = new QPushButton(tr("&Add alternative"), box);
    tblAlternatives = ListTable({tr("Generic name"), tr("Kind"), tr("Note")}, box);
    cboKind = new QComboBox(box);
    for (const QString& kind : {AlternativeKind::Preferred, AlternativeKind::Equivalent})
        cboKind->addItem(Translated(AlternativeKind::Word(kind)), kind);
    txtNote = new QLineEdit(box);
    txtNote->setPlaceholderText(tr("A dose conversion, a condition"));
    lblAlternativesProblem = ProblemLabel(box);
    cmdRemoveAlternative = new QPushButton(tr("Remove"), box);
    cmdAlternativeUp = MoveButton(tr("Up"), tr("Move the alternative up"), box);
    cmdAlternativeDown = MoveButton(tr("Down"), tr("Move the alternative down"), box);

    auto* find = new QFormLayout;
    find->addRow(tr("F&ind in the register:"), txtFindAlternative);
    auto* addRow = new QHBoxLayout;
    addRow->addWidget(cmdAddAlternative);
    addRow->addStretch(1);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* button : {cmdRemoveAlternative, cmdAlternativeUp, cmdAlternativeDown})
        buttons->addWidget(button);
    buttons->addStretch(1);
    auto* editors = new QFormLayout;
    editors->addRow(tr("&Kind:"), cboKind);
    editors->addRow(tr("&Note:"), txtNote);
    auto* layout = new QVBoxLayout(box);
    layout->addLayout(find);
    layout->addWidget(lstGenerics, 1);
    layout->addLayout(addRow);
    layout->addWidget(tblAlternatives, 1);
    layout->addLayout(editors);
    layout->addWidget(lblAlternativesProblem);
    layout->addLayout(buttons);

    connectGuarded(txtFindAlternative, &QLineEdit::textChanged, this,
                   &frmFormulary::txtFindAlternative_Change);
    connectGuarded(txtFindAlternative, &QLineEdit::returnPressed, this,
                   &frmFormulary::cmdAddAlternative_Click);
    connectGuarded(lstGenerics, &QListWidget::itemActivated, this,
                   &frmFormulary::cmdAddAlternative_Click);
    connectGuarded(cmdAddAlternative, &QPushButton::clicked, this,
                   &frmFormulary::cmdAddAlternative_Click);
    connectGuarded(tblAlternatives, &QTableWidget::currentCellChanged, this,
                   &frmFormulary::ShowCurrentAlternative);
    connectGuarded(cboKind, &QComboBox::currentIndexChanged, this,
                   &frmFormulary::AlternativeEdited);
    connectGuarded(txtNote, &QLineEdit::textChanged, this, &frmFormulary::AlternativeEdited);
    connectGuarded(cmdRemoveAlternative, &QPushButton::clicked, this,
                   &frmFormulary::cmdRemoveAlternative_Click);
    connect(cmdAlternativeUp, &QPushButton::clicked, this,
            [this] { Guarded([this] { cmdMoveAlternative_Click(-1); }); });
    connect(cmdAlternativeDown, &QPushButton::clicked, this,
            [this] { Guarded([this] { cmdMoveAlternative_Click(1); }); });
    return box;
}

void frmFormulary::SetGeneric(CatalogueId::Generic genericCode, const QString& genericName)
{
    m_generic = genericCode;
    m_genericName = genericName;
    setWindowTitle(tr("Formulary of %1").arg(genericName));
}

void frmFormulary::Form_Load()
{
    m_saved = false;
    ShowRecord(m_formulary.ReadFormulary(m_generic));
    txtFindAlternative->clear();
    txtFindAlternative_Change();
    cboStatus->setFocus();
}

// Shows record as this opening's read: a save is checked against it.
void frmFormulary::ShowRecord(const FormularyRecord& record)
{
    m_filling = true;
    m_asRead = record;
    cboStatus->setCurrentIndex(cboStatus->findData(record.status));
    txtRestriction->setPlainText(record.restriction);
    const auto showDate = [](QCheckBox* check, QDateEdit* edit, const QDate& date) {
        check->setChecked(!date.isNull());
        edit->setDate(date.isNull() ? QDate::currentDate() : date);
    };
    showDate(chkDecided, dtpDecided, record.decidedOn);
    showDate(chkReview, dtpReview, record.reviewOn);
    txtReference->setText(record.decisionRef);
    cboVen->setCurrentIndex(cboVen->findData(record.ven));
    m_codes = record.codes;
    m_alternatives = record.alternatives;
    // The systems the hospital uses for this name are offered besides the built-in one.
    for (const ReferenceCode& code : m_codes) {
        if (cboSystem->findText(code.system) < 0)
            cboSystem->addItem(code.system);
    }
    ShowCodes();
    ShowAlternatives();
    m_filling = false;
    CheckForm();
}

FormularyRecord frmFormulary::Edited() const
{
    FormularyRecord record{m_generic};
    record.status = cboStatus->currentData().toString();
    record.restriction = txtRestriction->toPlainText();
    record.decidedOn = chkDecided->isChecked() ? dtpDecided->date() : QDate();
    record.decisionRef = txtReference->text();
    record.reviewOn = chkReview->isChecked() ? dtpReview->date() : QDate();
    record.ven = cboVen->currentData().toString();
    record.codes = m_codes;
    record.alternatives = m_alternatives;
    return record;
}

QStringList frmFormulary::Problems() const
{
    return m_problems;
}

bool frmFormulary::Changed() const
{
    return !(Edited() == m_asRead);
}

void frmFormulary::CheckForm()
{
    if (m_filling)
        return;
    const FormularyRecord edited = Edited();
    FormularyRecord decision{m_generic};
    decision.status = edited.status;
    decision.restriction = edited.restriction;
    ShowProblems(lblRestrictionProblem, FormularyProblems(decision));
    FormularyRecord reference{m_generic};
    reference.decisionRef = edited.decisionRef;
    ShowProblems(lblReferenceProblem, FormularyProblems(reference));

    const QList<QStringList> codeProblems =
        RowProblems(m_generic, m_codes, &FormularyRecord::codes);
    for (int row = 0; row < m_codes.size(); ++row)
        SetRow(tblCodes, row, {m_codes[row].system, m_codes[row].code, m_codes[row].indexName},
               codeProblems[row]);
    ShowProblems(lblCodesProblem, Numbered(tr("Code"), codeProblems));

    const QList<QStringList> alternativeProblems =
        RowProblems(m_generic, m_alternatives, &FormularyRecord::alternatives);
    for (int row = 0; row < m_alternatives.size(); ++row) {
        const Alternative& alternative = m_alternatives[row];
        SetRow(tblAlternatives, row,
               {alternative.name, Translated(AlternativeKind::Word(alternative.kind)),
                alternative.note},
               alternativeProblems[row]);
    }
    ShowProblems(lblAlternativesProblem, Numbered(tr("Alternative"), alternativeProblems));

    // Whatever the fields show, only a record the component would take can be saved.
    m_problems = FormularyProblems(edited);
    cmdSave->setEnabled(m_problems.isEmpty());
}

void frmFormulary::ShowCodes()
{
    const int current = tblCodes->currentRow();
    tblCodes->setRowCount(static_cast<int>(m_codes.size()));
    CheckForm();
    tblCodes->setCurrentCell(qMin(current, tblCodes->rowCount() - 1), 0);
    ShowCurrentCode();
}

void frmFormulary::ShowCurrentCode()
{
    const int row = tblCodes->currentRow();
    const bool any = row >= 0 && row < m_codes.size();
    const bool filling = m_filling;
    m_filling = true;
    cboSystem->setEditText(any ? m_codes[row].system : QString());
    txtCode->setText(any ? m_codes[row].code : QString());
    m_filling = filling;
    for (QWidget* editor : {static_cast<QWidget*>(cboSystem), static_cast<QWidget*>(txtCode),
                            static_cast<QWidget*>(cmdRemoveCode)})
        editor->setEnabled(any);
    cmdCodeUp->setEnabled(any && row > 0);
    cmdCodeDown->setEnabled(any && row + 1 < m_codes.size());
}

// The chosen row takes what its editors hold, with the ATC index's name of the code typed.
void frmFormulary::CodeEdited()
{
    const int row = tblCodes->currentRow();
    if (m_filling || row < 0 || row >= m_codes.size())
        return;
    ReferenceCode& code = m_codes[row];
    code.system = cboSystem->currentText();
    code.code = txtCode->text();
    code.indexName.clear();
    if (code.system == AtcCode::kSystem && AtcCode::IsWellFormed(code.code)) {
        if (const std::optional<AtcIndexEntry> entry = m_formulary.AtcEntry(code.code))
            code.indexName = entry->name;
    }
    CheckForm();
}

void frmFormulary::cmdAddCode_Click()
{
    m_codes << ReferenceCode{AtcCode::kSystem, QString()};
    tblCodes->setRowCount(static_cast<int>(m_codes.size()));
    tblCodes->setCurrentCell(tblCodes->rowCount() - 1, 0);
    CheckForm();
    txtCode->setFocus();
}

void frmFormulary::cmdRemoveCode_Click()
{
    const int row = tblCodes->currentRow();
    if (row < 0 || row >= m_codes.size())
        return;
    m_codes.removeAt(row);
    tblCodes->removeRow(row);
    ShowCodes();
}

void frmFormulary::cmdMoveCode_Click(int by)
{
    const int row = tblCodes->currentRow();
    if (row < 0 || row + by < 0 || row + by >= m_codes.size())
        return;
    m_codes.swapItemsAt(row, row + by);
    CheckForm();
    tblCodes->setCurrentCell(row + by, 0);
}

void frmFormulary::txtFindAlternative_Change()
{
    RowSet matches = m_generics.ListGeneric(txtFindAlternative->text().trimmed());
    lstGenerics->clear();
    for (int shown = 0; !matches.AtEnd() && shown < kMatchesShown; ++shown) {
        auto* item = new QListWidgetItem(matches.Text(QStringLiteral("Generic Name")), lstGenerics);
        item->setData(Qt::UserRole, matches.Value(QStringLiteral("Code")).toInt());
        matches.MoveNext();
    }
    if (matches.RecordCount() > kMatchesShown) {
        auto* more = new QListWidgetItem(
            tr("… %1 more: type more of the name").arg(matches.RecordCount() - kMatchesShown),
            lstGenerics);
        more->setFlags(Qt::NoItemFlags);
    }
    matches.Close();
    lstGenerics->setCurrentRow(0);
    cmdAddAlternative->setEnabled(lstGenerics->count() > 0 &&
                                  lstGenerics->item(0)->flags() != Qt::NoItemFlags);
}

void frmFormulary::cmdAddAlternative_Click()
{
    const QListWidgetItem* chosen = lstGenerics->currentItem();
    if (!chosen || chosen->flags() == Qt::NoItemFlags)
        return;
    m_alternatives << Alternative{chosen->data(Qt::UserRole).toInt(), AlternativeKind::Preferred,
                                  QString(), chosen->text()};
    tblAlternatives->setRowCount(static_cast<int>(m_alternatives.size()));
    tblAlternatives->setCurrentCell(tblAlternatives->rowCount() - 1, 0);
    CheckForm();
}

void frmFormulary::ShowAlternatives()
{
    const int current = tblAlternatives->currentRow();
    tblAlternatives->setRowCount(static_cast<int>(m_alternatives.size()));
    CheckForm();
    tblAlternatives->setCurrentCell(qMin(current, tblAlternatives->rowCount() - 1), 0);
    ShowCurrentAlternative();
}

void frmFormulary::ShowCurrentAlternative()
{
    const int row = tblAlternatives->currentRow();
    const bool any = row >= 0 && row < m_alternatives.size();
    const bool filling = m_filling;
    m_filling = true;
    if (any)
        cboKind->setCurrentIndex(cboKind->findData(m_alternatives[row].kind));
    txtNote->setText(any ? m_alternatives[row].note : QString());
    m_filling = filling;
    for (QWidget* editor : {static_cast<QWidget*>(cboKind), static_cast<QWidget*>(txtNote),
                            static_cast<QWidget*>(cmdRemoveAlternative)})
        editor->setEnabled(any);
    cmdAlternativeUp->setEnabled(any && row > 0);
    cmdAlternativeDown->setEnabled(any && row + 1 < m_alternatives.size());
}

void frmFormulary::AlternativeEdited()
{
    const int row = tblAlternatives->currentRow();
    if (m_filling || row < 0 || row >= m_alternatives.size())
        return;
    m_alternatives[row].kind = cboKind->currentData().toString();
    m_alternatives[row].note = txtNote->text();
    CheckForm();
}

void frmFormulary::cmdRemoveAlternative_Click()
{
    const int row = tblAlternatives->currentRow();
    if (row < 0 || row >= m_alternatives.size())
        return;
    m_alternatives.removeAt(row);
    tblAlternatives->removeRow(row);
    ShowAlternatives();
}

void frmFormulary::cmdMoveAlternative_Click(int by)
{
    const int row = tblAlternatives->currentRow();
    if (row < 0 || row + by < 0 || row + by >= m_alternatives.size())
        return;
    m_alternatives.swapItemsAt(row, row + by);
    CheckForm();
    tblAlternatives->setCurrentCell(row + by, 0);
}

void frmFormulary::cmdSave_Click()
{
    if (!m_problems.isEmpty())
        return;
    const FormularyRecord changed = Edited();
    for (;;) {
        const ClassPharvel::clsFormulary::SaveOutcome outcome =
            m_formulary.SaveFormulary(changed, m_asRead);
        if (outcome.saved)
            break;
        // Another desktop saved after this opening read the formulary: the user chooses.
        if (!OverwriteTheirs(tr("the formulary of %1").arg(m_genericName), outcome.who)) {
            ShowRecord(outcome.theirs);
            return;
        }
        m_asRead = outcome.theirs;
    }
    m_asRead = changed;
    m_saved = true;
    accept();
}

void frmFormulary::cmdClose_Click()
{
    reject();
}

void frmFormulary::reject()
{
    if (Changed() &&
        MsgBox::Show(
            tr("Close without saving your changes to the formulary of %1?").arg(m_genericName),
            MsgBox::Icon::Question, MsgBox::Buttons::YesNo, tr("MESSAGE")) != MsgBox::Answer::Yes)
        return;
    QDialog::reject();
}
