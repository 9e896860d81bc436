#include "catalogue/FormularyPane.h"

#include "app/mdlPharvel.h"
#include "catalogue/StatusMarks.h"
#include "platform/catalog/EntryOutline.h"
#include "platform/db/PharvelError.h"
#include "platform/user/AccountStore.h"
#include "platform/user/clsCurrentUser.h"
#include "platform/widgets/Twips.h"

#include <QCoreApplication>
#include <QDate>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

namespace {

constexpr auto kReadable = Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard;

QString Escaped(const QString& text)
{
    return text.toHtmlEscaped().replace(QLatin1Char('\n'), QStringLiteral("<br>"));
}

// A status as rich text: a square of its colour, then its word, so it never rests on colour.
QString StatusHtml(const QString& status)
{
    return QStringLiteral("<span style=\"color:%1\">&#9632;</span>&nbsp;<b>%2</b>")
        .arg(StatusMarks::Colour(status).name(), Escaped(StatusMarks::Word(status)));
}

QString DateText(const QDate& date)
{
    return date.isValid() ? date.toString(Qt::ISODate) : QString();
}

QString Lines(const QStringList& lines)
{
    return lines.join(QStringLiteral("<br>"));
}

} // namespace

FormularyPane::FormularyPane(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("FormularyPane"));
    // The picture shows round the card, which lies over it.
    const int margin = Twips::ToPixels(180, this);
    auto* around = new QVBoxLayout(this);
    around->setContentsMargins(margin, margin, margin, margin);
    around->setSizeConstraint(QLayout::SetNoConstraint);
    auto* card = new QFrame(this);
    card->setFrameStyle(QFrame::StyledPanel | QFrame::Raised);
    card->setAutoFillBackground(true);
    card->setBackgroundRole(QPalette::Base);
    around->addWidget(card);
    auto* inCard = new QVBoxLayout(card);
    inCard->setContentsMargins(0, 0, 0, 0);

    m_scroll = new QScrollArea(card);
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setWidgetResizable(true);
    m_scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    inCard->addWidget(m_scroll);
    auto* content = new QWidget(m_scroll);
    content->setBackgroundRole(QPalette::Base);
    auto* column = new QVBoxLayout(content);
    const int padding = Twips::ToPixels(150, this);
    column->setContentsMargins(padding, padding, padding, padding);
    column->setSpacing(Twips::ToPixels(60, this));

    const auto plain = [this, content](QWidget* into) {
        auto* label = new QLabel(into ? into : content);
        label->setWordWrap(true);
        label->setTextInteractionFlags(kReadable);
        return label;
    };
    lblKind = plain(content);
    lblKind->setForegroundRole(QPalette::PlaceholderText);
    lblName = plain(content);
    QFont larger = lblName->font();
    larger.setBold(true);
    larger.setPointSizeF(larger.pointSizeF() * 1.4);
    lblName->setFont(larger);
    lblName->setTextFormat(Qt::PlainText);
    lblPath = plain(content);
    lblPath->setTextFormat(Qt::PlainText);
    column->addWidget(lblKind);
    column->addWidget(lblName);
    column->addWidget(lblPath);

    // A grid, not a form layout: a form layout gave the first shown row no height when the rows
    // above it were hidden and the values wrap.
    m_fields = new QGridLayout;
    m_fields->setColumnStretch(1, 1);
    m_fields->setHorizontalSpacing(Twips::ToPixels(180, this));
    m_fields->setVerticalSpacing(Twips::ToPixels(90, this));
    column->addSpacing(Twips::ToPixels(90, this));
    column->addLayout(m_fields);
    lblGeneric = AddRow(tr("Generic name:"));
    lblStatus = AddRow(tr("Formulary status:"));
    lblRestriction = AddRow(tr("Restriction or guidelines:"));
    lblDecided = AddRow(tr("Decided:"));
    lblReference = AddRow(tr("Decision reference:"));
    lblReview = AddRow(tr("Next review:"));
    lblVen = AddRow(tr("VEN:"));
    lblCodes = AddRow(tr("Reference codes:"));
    lblAlternatives = AddRow(tr("Alternatives:"));
    lblDrugs = AddRow(tr("Drugs:"));
    lblOtherDetails = AddRow(tr("Other details:"));
    lblIndication = AddRow(tr("Indication:"));
    lblDosage = AddRow(tr("Dosage:"));
    lblAdministration = AddRow(tr("Administration:"));
    lblPreparation = AddRow(tr("Preparation:"));
    lblCounts = AddRow(tr("Generic names:"));
    for (QLabel* text : {lblGeneric, lblRestriction, lblReference, lblOtherDetails, lblIndication,
                         lblDosage, lblAdministration, lblPreparation, lblDrugs, lblDecided}) {
        text->setTextFormat(Qt::PlainText);
    }
    for (QLabel* rich : {lblStatus, lblReview, lblVen, lblCodes, lblAlternatives, lblCounts})
        rich->setTextFormat(Qt::RichText);
    lblAlternatives->setTextInteractionFlags(Qt::TextBrowserInteraction |
                                             Qt::TextSelectableByKeyboard);
    connect(lblAlternatives, &QLabel::linkActivated, this,
            [this](const QString& link) { emit AlternativeChosen(link.toInt()); });

    cmdFormulary = new QPushButton(tr("Formulary…"), content);
    cmdFormulary->setObjectName(QStringLiteral("cmdFormulary"));
    connect(cmdFormulary, &QPushButton::clicked, this, [this] {
        if (m_generic != 0)
            emit FormularyRequested(m_generic);
    });
    column->addSpacing(Twips::ToPixels(120, this));
    column->addWidget(cmdFormulary, 0, Qt::AlignLeft);
    column->addStretch(1);
    m_scroll->setWidget(content);

    ShowNothing();
}

FormularyPane::~FormularyPane() = default;

QLabel* FormularyPane::AddRow(const QString& caption)
{
    auto* value = new QLabel;
    value->setWordWrap(true);
    value->setTextInteractionFlags(kReadable);
    auto* label = new QLabel(caption);
    label->setBuddy(value);
    const int row = m_fields->rowCount();
    m_fields->addWidget(label, row, 0, Qt::AlignLeft | Qt::AlignTop);
    m_fields->addWidget(value, row, 1);
    m_captions.insert(value, label);
    return value;
}

void FormularyPane::ShowEntryLater(const QString& nodeKey)
{
    m_laterKey = nodeKey;
    if (m_laterQueued)
        return;
    m_laterQueued = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_laterQueued = false;
            ShowEntry(m_laterKey);
        },
        Qt::QueuedConnection);
}

void FormularyPane::Refresh()
{
    ShowEntry(m_shownKey);
}

void FormularyPane::ShowEntry(const QString& nodeKey)
{
    SQLConnection* connection =
        mdlPharvel::objCurrentUser ? mdlPharvel::objCurrentUser->SQLConnection() : nullptr;
    if (nodeKey.isEmpty() || nodeKey == kRootKey || !connection) {
        ShowNothing();
        return;
    }

    std::optional<ClassPharvel::EntryOutline> entry;
    try {
        entry = ClassPharvel::EntryOutline::Read(*connection, nodeKey);
    } catch (const PharvelError& error) {
        // The pane only looks: a failed read is told here, without a message box at every
        // move of the selection.
        ShowNothing();
        m_shownKey = nodeKey;
        lblName->setText(tr("The entry could not be read."));
        lblPath->setText(error.Description());
        show();
        return;
    }
    if (!entry) {
        ShowNothing();
        return;
    }

    m_shownKey = nodeKey;
    for (auto row = m_captions.keyBegin(); row != m_captions.keyEnd(); ++row)
        ShowRow(*row, false);
    lblName->setText(entry->node.name);
    lblPath->setText(entry->path.join(QStringLiteral(" › ")));
    lblPath->setVisible(!entry->path.isEmpty());
    m_generic = 0;
    if (entry->node.type == NodeType::Generic)
        ShowGeneric(*entry);
    else if (entry->node.type == NodeType::Drug)
        ShowDrug(*entry);
    else
        ShowClassification(*entry);
    const bool viewOnly = mdlPharvel::objCurrentUser->UserRights() == AccountStore::kViewOnlyRights;
    // Offered on a generic name only; a user who may not change the catalogue sees it off.
    cmdFormulary->setVisible(m_generic != 0);
    cmdFormulary->setEnabled(m_generic != 0 && !viewOnly);
    show();
    m_scroll->ensureVisible(0, 0);
}

void FormularyPane::ShowText(QLabel* row, const QString& text)
{
    row->setText(text);
    ShowRow(row, !text.trimmed().isEmpty());
}

void FormularyPane::ShowRow(QWidget* field, bool shown)
{
    field->setVisible(shown);
    m_captions.value(field)->setVisible(shown);
}

void FormularyPane::ShowGeneric(const ClassPharvel::EntryOutline& entry)
{
    const FormularyRecord& formulary = entry.formulary;
    m_generic = entry.node.id;
    lblKind->setText(tr("Generic name"));
    ShowText(lblStatus, StatusHtml(formulary.status));
    ShowText(lblRestriction, formulary.restriction);
    ShowText(lblDecided, DateText(formulary.decidedOn));
    ShowText(lblReference, formulary.decisionRef);
    QString review = Escaped(DateText(formulary.reviewOn));
    if (formulary.reviewOn.isValid() && formulary.reviewOn < QDate::currentDate()) {
        review += QStringLiteral(" <b style=\"color:%1\">%2</b>")
                      .arg(StatusMarks::Colour(FormularyStatus::NotInFormulary).name(),
                           Escaped(tr("(review date passed)")));
    }
    ShowText(lblReview, review);
    ShowText(lblVen, Escaped(QCoreApplication::translate(
                         "VenCategory", VenCategory::Word(formulary.ven).toUtf8().constData())));

    QStringList codes;
    for (const ReferenceCode& code : formulary.codes) {
        QString line = QStringLiteral("%1 <b>%2</b>").arg(Escaped(code.system), Escaped(code.code));
        if (!code.indexName.isEmpty())
            line += QStringLiteral(" — ") + Escaped(code.indexName);
        codes << line;
    }
    ShowText(lblCodes, Lines(codes));

    QStringList alternatives;
    for (const Alternative& alternative : formulary.alternatives) {
        QString line = QStringLiteral("<a href=\"%1\">%2</a> — %3")
                           .arg(alternative.generic)
                           .arg(Escaped(alternative.name),
                                Escaped(QCoreApplication::translate(
                                    "AlternativeKind",
                                    AlternativeKind::Word(alternative.kind).toUtf8().constData())));
        if (!alternative.note.isEmpty())
            line += QStringLiteral(" (%1)").arg(Escaped(alternative.note));
        alternatives << line;
    }
    ShowText(lblAlternatives, Lines(alternatives));
    ShowText(lblDrugs, QString::number(entry.drugs));
    ShowText(lblOtherDetails, entry.otherDetails);
    emit StatusRead(entry.node.key, formulary.status);
}

void FormularyPane::ShowDrug(const ClassPharvel::EntryOutline& entry)
{
    lblKind->setText(tr("Drug"));
    ShowText(lblGeneric, entry.genericName);
    if (!entry.genericName.isEmpty())
        ShowText(lblStatus, StatusHtml(entry.genericStatus));
    // As the medicine details show them: name, indication, dosage, administration, preparation.
    const DrugFields& fields = entry.drug.fields;
    ShowText(lblIndication, fields[2]);
    ShowText(lblDosage, fields[3]);
    ShowText(lblAdministration, fields[4]);
    ShowText(lblPreparation, fields[5]);
}

void FormularyPane::ShowClassification(const ClassPharvel::EntryOutline& entry)
{
    lblKind->setText(tr("Classification"));
    int total = 0;
    QStringList lines;
    for (const QString& status : FormularyStatus::All()) {
        const int count = entry.statusCounts.value(status);
        total += count;
        lines << QStringLiteral("%1: %2").arg(StatusHtml(status)).arg(count);
    }
    lines.prepend(Escaped(tr("%n in all", nullptr, total)));
    ShowText(lblCounts, Lines(lines));
}

void FormularyPane::ShowNothing()
{
    m_shownKey.clear();
    m_generic = 0;
    cmdFormulary->setEnabled(false);
    hide();
}
