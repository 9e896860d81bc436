#include "details/frmDrugInformation.h"

#include "app/StretchedPicture.h"
#include "details/StaleSaveQuestion.h"
#include "platform/catalog/ShortId.h"
#include "platform/db/PharvelError.h"
#include "platform/db/SQLConnection.h"
#include "platform/db/TextLimits.h"
#include "platform/widgets/DesignFont.h"
#include "platform/widgets/ErrorHandler.h"
#include "platform/widgets/MsgBox.h"
#include "platform/widgets/Twips.h"

#include <QFrame>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTextDocument>

namespace {

const QColor kDarkBlue(11, 64, 95);

// A frame or rule drawn in the window's dark blue.
QFrame* DarkBlueFrame(QFrame::Shape shape, QWidget* parent)
{
    auto* frame = new QFrame(parent);
    frame->setFrameStyle(shape | QFrame::Plain);
    QPalette palette = frame->palette();
    palette.setColor(QPalette::WindowText, kDarkBlue);
    frame->setPalette(palette);
    return frame;
}

QLabel* DarkBlueLabel(const QString& text, const QFont& font, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setFont(font);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, kDarkBlue);
    label->setPalette(palette);
    return label;
}

} // namespace

frmDrugInformation::frmDrugInformation(SQLConnection& connection, QWidget* parent)
    : DetailsWindow(connection, parent)
{
    setWindowTitle(tr(" Drug Details"));
    setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(TwipsRect(0, 0, 11595, 7770, this).size());
    setAutoFillBackground(true);
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);

    // The pictures lie beneath the heading and the rule, as the design stacks them.
    Image1 = new StretchedPicture(QStringLiteral("druginfo-emblem"), this);
    Image1->setGeometry(TwipsRect(-30, 90, 1545, 1545, this));
    Image2 = new StretchedPicture(QStringLiteral("druginfo-forms"), this);
    Image2->setGeometry(TwipsRect(5490, 690, 1650, 1050, this));

    Label1 = DarkBlueLabel(tr("Drug Information"), DesignFont(QStringLiteral("Arial"), 20), this);
    Label1->setGeometry(TwipsRect(1530, 240, 3375, 675, this));
    Line1 = DarkBlueFrame(QFrame::HLine, this);
    const QRect rule = TwipsRect(1530, 780, 11310 - 1530, 0, this);
    Line1->setGeometry(rule.left(), rule.top(), rule.width(), 1);
    const QFont heading = DesignFont(QStringLiteral("Tahoma"), 12);
    Label2[0] = DarkBlueLabel(tr("Route of Administration"), heading, this);
    Label2[0]->setGeometry(TwipsRect(1590, 960, 4245, 315, this));
    Label2[1] = DarkBlueLabel(tr("Pharmaceutical Forms and Strenghts"), heading, this);
    Label2[1]->setGeometry(TwipsRect(1590, 1260, 4395, 345, this));
    for (QLabel* label : {Label1, Label2[0], Label2[1]})
        HoldCaption(label);

    Shape1 = DarkBlueFrame(QFrame::Box, this);
    Shape1->setGeometry(TwipsRect(1560, 1650, 9795, 5415, this));
    txtEntry = new QPlainTextEdit(this);
    txtEntry->setGeometry(TwipsRect(1620, 1710, 9675, 5295, this));
    txtEntry->setFont(DesignFont(QStringLiteral("Tahoma"), 11.25));
    txtEntry->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    txtEntry->setTabChangesFocus(true);

    const QFont buttons = DesignFont(QStringLiteral("Arial"), 9, true);
    cmdSave = new QPushButton(tr("Save"), this);
    cmdSave->setGeometry(TwipsRect(8520, 7170, 1395, 495, this));
    cmdClose = new QPushButton(tr("Close"), this);
    cmdClose->setGeometry(TwipsRect(9960, 7170, 1395, 495, this));
    for (QPushButton* button : {cmdSave, cmdClose}) {
        button->setFont(buttons);
        button->setAutoDefault(false);
    }
    setTabOrder(txtEntry, cmdSave);
    setTabOrder(cmdSave, cmdClose);

    connectGuarded(cmdSave, &QPushButton::clicked, this, &frmDrugInformation::cmdSave_Click);
    connectGuarded(cmdClose, &QPushButton::clicked, this, &frmDrugInformation::cmdClose_Click);
}

void frmDrugInformation::SetGenericID(const QString& genericId)
{
    try {
        m_genericId = static_cast<qint16>(
            ClassPharvel::ShortId::FromText(genericId, tr("The generic name id")));
    } catch (const PharvelError& error) {
        throw error.WithSource(QStringLiteral("frmDrugInformation.GenericID"));
    }
}

QString frmDrugInformation::GenericID() const
{
    return QString::number(m_genericId);
}

void frmDrugInformation::showEvent(QShowEvent* event)
{
    if (const QScreen* where = screen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(where->availableGeometry().center());
        move(frame.topLeft());
    }
    DetailsWindow::showEvent(event);
}

void frmDrugInformation::Form_Load()
{
    LoadOtherDetails();
    txtEntry->setFocus();
}

void frmDrugInformation::LoadOtherDetails()
{
    txtEntry->clear();
    ShowAsRead(OtherDetailsStore::Read(Connection(), m_genericId));
}

void frmDrugInformation::ShowAsRead(const OtherDetailsStore::Text& text)
{
    m_asRead = text;
    m_blnNewRecord = !text;
    txtEntry->setPlainText(text.value_or(QString()));
}

// The text exactly as typed: the box's own plain text would turn a non-breaking space into a
// space.
QString frmDrugInformation::TypedText() const
{
    QString text = txtEntry->document()->toRawText();
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    text.replace(QChar::LineSeparator, QLatin1Char('\n'));
    return text;
}

void frmDrugInformation::cmdSave_Click()
{
    // Only a box with nothing in it is refused: blanks are a text like any other.
    if (TypedText().isEmpty()) {
        MsgBox::Show(tr("Please insert value for Drug Other Details Information."),
                     MsgBox::Icon::Exclamation, MsgBox::Buttons::OK, tr("MESSAGE"));
        txtEntry->setFocus();
        return;
    }
    if (TypedText().size() > TextLimits::kOtherDetails) {
        MsgBox::Show(TextLimits::TooLong(tr("The other details"), TextLimits::kOtherDetails),
                     MsgBox::Icon::Exclamation, MsgBox::Buttons::OK, tr("MESSAGE"));
        txtEntry->setFocus();
        return;
    }
    if (SaveOtherDetails())
        accept();
}

bool frmDrugInformation::SaveOtherDetails()
{
    const QString text = TypedText();
    for (;;) {
        const OtherDetailsStore::Outcome outcome =
            OtherDetailsStore::Save(Connection(), m_genericId, text, m_asRead);
        if (outcome.saved)
            break;
        // Another desktop saved after this window read the text: the user chooses.
        if (!OverwriteTheirs(tr("the other details"), outcome.who)) {
            ShowAsRead(outcome.theirs);
            return false;
        }
        m_asRead = outcome.theirs;
    }
    m_asRead = text;
    m_blnNewRecord = false;
    MsgBox::Show(tr("Data successfullly save!"), MsgBox::Icon::Information, MsgBox::Buttons::OK,
                 tr("MESSAGE"));
    return true;
}

void frmDrugInformation::cmdClose_Click()
{
    reject();
}
