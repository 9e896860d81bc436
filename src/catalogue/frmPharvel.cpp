#include "catalogue/frmPharvel.h"

#include "app/ArtPicture.h"
#include "app/StretchedPicture.h"
#include "app/mdlPharvel.h"
#include "catalogue/KeyStatePanel.h"
#include "catalogue/KeyStateTracker.h"
#include "catalogue/LockWaitNotice.h"
#include "catalogue/ManualPage.h"
#include "catalogue/SplitterImage.h"
#include "catalogue/frmAbout.h"
#include "platform/db/CatalogueTypes.h"
#include "platform/db/HospitalStore.h"
#include "platform/db/PharvelError.h"
#include "platform/db/SQLConnection.h"
#include "platform/user/AccountStore.h"
#include "platform/user/clsCurrentUser.h"
#include "platform/widgets/CheckListImages.h"
#include "platform/widgets/ErrorHandler.h"
#include "platform/widgets/FlexGrid.h"
#include "platform/widgets/ImageList.h"
#include "platform/widgets/KeyedTree.h"
#include "platform/widgets/MsgBox.h"
#include "platform/widgets/Twips.h"

#include <QCloseEvent>
#include <QFrame>
#include <QLabel>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>

namespace {

// The client area as the window is designed, in twips.
constexpr int kDesignClientWidth = 11880;
constexpr int kDesignClientHeight = 7935;
constexpr QSize kTreePictureSize(18, 18);
constexpr QSize kToolbarPictureSize(37, 37);

// The toolbar's pictures, in the order of the image lists: new entry, delete, rename, generic
// names file, find.
const QStringList kToolbarPictures = {
    QStringLiteral("toolbar-new"), QStringLiteral("toolbar-delete"),
    QStringLiteral("toolbar-rename"), QStringLiteral("toolbar-generic-file"),
    QStringLiteral("toolbar-find")};

QAction* AddItem(QMenu* menu, const QString& caption, const QKeySequence& shortcut = {})
{
    QAction* item = menu->addAction(caption);
    item->setShortcut(shortcut);
    return item;
}

} // namespace

frmPharvel::frmPharvel(QWidget* parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("frmPharvel"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(tr("Visual Corvida - Pharvel"));
    setWindowIcon(QIcon(ArtPicture::Path(QStringLiteral("pharvel"))));

    clientArea = new QWidget(this);
    clientArea->setObjectName(QStringLiteral("clientArea"));
    clientArea->installEventFilter(this);
    setCentralWidget(clientArea);

    CreatePanes();
    CreateMenus();
    CreateToolbar();
    CreateStatusBar();
    ConnectCommands();
    ConnectTreeEvents();

    const QRect design = TwipsRect(0, 0, kDesignClientWidth, kDesignClientHeight, this);
    resize(design.width(), design.height() + menuBar()->sizeHint().height());
}

frmPharvel::~frmPharvel() = default;

void frmPharvel::CreatePanes()
{
    ilsTree = new ImageList(kTreePictureSize, this);
    for (const QString& key :
         {QStringLiteral("smile"), QStringLiteral("bookclose"), QStringLiteral("bookopen"),
          QStringLiteral("capsule"), QStringLiteral("tablet")}) {
        ilsTree->Add(key, ArtPicture::Render(key, kTreePictureSize));
    }
    // The details pane's tick pictures, kept with it although nothing shows the pane.
    ilsCheck = new CheckListImages(this);

    // Stacked as the design draws them: the picture at the bottom, the splitter over it, and
    // the tree over the splitter's left part.
    imgBack = new StretchedPicture(QStringLiteral("background"), clientArea);
    imgBack->setObjectName(QStringLiteral("imgBack"));

    imgSplitter = new SplitterImage(clientArea);
    imgSplitter->setObjectName(QStringLiteral("imgSplitter"));
    // The splitter reports pixels; the handlers work in twips.
    const auto twips = [this](const QPoint& pos) {
        return QPoint(Twips::FromPixels(pos.x(), this), Twips::FromPixels(pos.y(), this));
    };
    connect(imgSplitter, &SplitterImage::MouseDown, this,
            [this, twips](Qt::MouseButton button, Qt::KeyboardModifiers shift, const QPoint& pos) {
                Guarded(
                    [&] { imgSplitter_MouseDown(button, shift, twips(pos).x(), twips(pos).y()); });
            });
    connect(
        imgSplitter, &SplitterImage::MouseMove, this,
        [this, twips](Qt::MouseButtons buttons, Qt::KeyboardModifiers shift, const QPoint& pos) {
            Guarded([&] { imgSplitter_MouseMove(buttons, shift, twips(pos).x(), twips(pos).y()); });
        });
    connect(imgSplitter, &SplitterImage::MouseUp, this,
            [this, twips](Qt::MouseButton button, Qt::KeyboardModifiers shift, const QPoint& pos) {
                Guarded(
                    [&] { imgSplitter_MouseUp(button, shift, twips(pos).x(), twips(pos).y()); });
            });

    trePharvel = new KeyedTree(clientArea);
    trePharvel->setObjectName(QStringLiteral("trePharvel"));
    trePharvel->SetImageList(ilsTree);
    connectGuarded(trePharvel, &KeyedTree::NodeClick, this, &frmPharvel::trePharvel_NodeClick);
    CreateFormularyPane();

    fraPharvel = new QFrame(clientArea);
    fraPharvel->setObjectName(QStringLiteral("fraPharvel"));
    fraPharvel->setFrameStyle(QFrame::Box | QFrame::Sunken);
    fraPharvel->hide();
    flexMSHPharvel = new FlexGrid(fraPharvel);
    flexMSHPharvel->setObjectName(QStringLiteral("flexMSHPharvel"));
    flexMSHPharvel->SetCols(8);
    fraButton = new QFrame(fraPharvel);
    fraButton->setObjectName(QStringLiteral("fraButton"));
    fraButton->hide();
    cmdAdd = new QPushButton(tr("&Add"), fraButton);
    cmdAdd->setObjectName(QStringLiteral("cmdAdd"));
    cmdAdd->setGeometry(TwipsRect(60, 180, 1035, 375, this));
    cmdClearAll = new QPushButton(tr("&Clear All"), fraButton);
    cmdClearAll->setObjectName(QStringLiteral("cmdClearAll"));
    cmdClearAll->setGeometry(TwipsRect(1200, 180, 1035, 375, this));

    // The drag bar is drawn over everything while a drag lasts.
    pctSplitter = new QWidget(clientArea);
    pctSplitter->setObjectName(QStringLiteral("pctSplitter"));
    pctSplitter->setAutoFillBackground(true);
    pctSplitter->setBackgroundRole(QPalette::Dark);
    pctSplitter->hide();
}

bool frmPharvel::IsChecked(const FlexGrid& flexMSHtemp) const
{
    constexpr int kTickColumn = 7;
    for (int row = 1; row < flexMSHtemp.Rows(); ++row) {
        if (!flexMSHtemp.TextMatrix(row, kTickColumn).isEmpty())
            return true;
    }
    return false;
}

void frmPharvel::CreateMenus()
{
    mnuPopup = menuBar()->addMenu(tr("&Pharvel"));
    mnuNew = mnuPopup->addMenu(tr("&Add/Remove"));
    mnuNewClassification = AddItem(mnuNew, tr("&Classification"), QKeySequence(tr("Ctrl+C")));
    mnuNewGeneric = AddItem(mnuNew, tr("&Generic"), QKeySequence(tr("Ctrl+G")));
    mnuNewDrug = AddItem(mnuNew, tr("&Drug"), QKeySequence(tr("Ctrl+D")));
    mnuOther = AddItem(mnuNew, tr("&Other Details"), QKeySequence(tr("Ctrl+R")));
    mnuFormulary = AddItem(mnuNew, tr("&Formulary…"));
    mnuSep1 = mnuPopup->addSeparator();
    mnuDelete = AddItem(mnuPopup, tr("&Delete"));
    mnuRename = AddItem(mnuPopup, tr("&Rename"));
    mnuSep2 = mnuPopup->addSeparator();
    mnuSep2->setVisible(false);
    mnuProperties = AddItem(mnuPopup, tr("&Properties"));
    mnuProperties->setVisible(false);
    mnuSep3 = mnuPopup->addSeparator();
    mnuExit = AddItem(mnuPopup, tr("E&xit"));
    connectGuarded(mnuExit, &QAction::triggered, this, &frmPharvel::mnuExit_Click);

    mnuBuildFile = menuBar()->addMenu(tr("&Build File"));
    mnuGenericFiles = AddItem(mnuBuildFile, tr("&Generic Names"));

    mnuFind = menuBar()->addMenu(tr("&Options"));
    mnuFindEntry = AddItem(mnuFind, tr("&Find Entry"), QKeySequence(tr("Ctrl+F")));
    connectGuarded(mnuFindEntry, &QAction::triggered, this, &frmPharvel::mnuFindEntry_Click);
    mnuSep12 = mnuFind->addSeparator();
    mnuRefresh = AddItem(mnuFind, tr("&Refresh Tree"));
    mnuLoadAll = AddItem(mnuFind, tr("&Load All"));

    mnuReport = menuBar()->addMenu(tr("&Reports"));
    mnuPharvelReport = AddItem(mnuReport, tr("&Pharvel Structure"));
    mnuDrugsWOGeneric = AddItem(mnuReport, tr("&Drugs with no Generic"));
    mnuDrugsWODetails = AddItem(mnuReport, tr("&Drugs with other Details"));
    // The formulary stands with the reports of what the catalogue holds, before its changes.
    mnuFormularyReport = AddItem(mnuReport, tr("&Formulary"));
    mnuCatalogueChanges = AddItem(mnuReport, tr("&Catalogue Changes"));
    connectGuarded(mnuPharvelReport, &QAction::triggered, this,
                   &frmPharvel::mnuPharvelReport_Click);
    connectGuarded(mnuDrugsWOGeneric, &QAction::triggered, this,
                   &frmPharvel::mnuDrugsWOGeneric_Click);
    connectGuarded(mnuDrugsWODetails, &QAction::triggered, this,
                   &frmPharvel::mnuDrugsWODetails_Click);
    connectGuarded(mnuFormularyReport, &QAction::triggered, this,
                   &frmPharvel::mnuFormularyReport_Click);
    connectGuarded(mnuCatalogueChanges, &QAction::triggered, this,
                   &frmPharvel::mnuCatalogueChanges_Click);

    mnuHelp = menuBar()->addMenu(tr("&Help"));
    // Offered only where the package has installed the manual page.
    if (!ManualPage::InstalledFile().isEmpty()) {
        mnuManual = AddItem(mnuHelp, tr("&Manual"), QKeySequence::HelpContents);
        connectGuarded(mnuManual, &QAction::triggered, this, &frmPharvel::mnuManual_Click);
    }
    mnuAbout = AddItem(mnuHelp, tr("&About Pharvel"));
    connectGuarded(mnuAbout, &QAction::triggered, this, &frmPharvel::mnuAbout_Click);
}

void frmPharvel::mnuManual_Click()
{
    if (!ManualPage::Open()) {
        MsgBox::Show(tr("This desktop has no viewer for manual pages. In a terminal, "
                        "\"man pharvel\" shows it."),
                     MsgBox::Icon::Information, MsgBox::Buttons::OK);
    }
}

void frmPharvel::mnuAbout_Click()
{
    frmAbout about(this);
    about.exec();
}

void frmPharvel::CreateToolbar()
{
    ilPharvel = new ImageList(kToolbarPictureSize, this);
    ilsInactive = new ImageList(kToolbarPictureSize, this);
    for (const QString& picture : kToolbarPictures) {
        ilPharvel->Add({}, ArtPicture::Render(picture, kToolbarPictureSize));
        ilsInactive->Add(
            {}, ArtPicture::Render(picture + QStringLiteral("-inactive"), kToolbarPictureSize));
    }
    const auto icon = [this](int picture) {
        QIcon both;
        both.addPixmap(ilPharvel->Picture(picture), QIcon::Normal);
        both.addPixmap(ilsInactive->Picture(picture), QIcon::Disabled);
        return both;
    };
    const auto button = [this, &icon](int picture, const QString& toolTip) {
        QAction* action = tbPharvel->addAction(icon(picture), toolTip);
        action->setToolTip(toolTip);
        return action;
    };

    tbPharvel = new QToolBar(clientArea);
    tbPharvel->setObjectName(QStringLiteral("tbPharvel"));
    tbPharvel->setMovable(false);
    tbPharvel->setFloatable(false);
    tbPharvel->setIconSize(kToolbarPictureSize);

    tbNewEntry = button(1, tr("New Entry"));
    auto* dropDown = new QMenu(this);
    tbNewClassification = dropDown->addAction(tr("Classification"));
    tbNewGeneric = dropDown->addAction(tr("Generic"));
    tbNewDrug = dropDown->addAction(tr("Drug"));
    tbNewEntry->setMenu(dropDown);
    tbNewEntryButton = qobject_cast<QToolButton*>(tbPharvel->widgetForAction(tbNewEntry));
    tbNewEntryButton->setPopupMode(QToolButton::MenuButtonPopup);
    tbPharvel->addSeparator();
    tbDelete = button(2, tr("Delete"));
    tbRename = button(3, tr("Rename"));
    tbPharvel->addSeparator();
    tbGenericFiles = button(4, tr("Generic Name Buil File"));
    tbFindEntry = button(5, QString());
    tbFindEntry->setVisible(false);
}

void frmPharvel::CreateStatusBar()
{
    staPharvel = new QStatusBar(clientArea);
    staPharvel->setObjectName(QStringLiteral("staPharvel"));
    staPharvel->setSizeGripEnabled(false);
    staMessage = new QLabel(staPharvel);
    staMessage->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    staPharvel->addWidget(staMessage, 1);
    staInitials = new QLabel(staPharvel);
    staInitials->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    staInitials->setAlignment(Qt::AlignCenter);
    staInitials->setMinimumWidth(Twips::ToPixels(1200, this));
    staPharvel->addPermanentWidget(staInitials);
    staInsert = new KeyStatePanel(tr("INS"), staPharvel);
    staCaps = new KeyStatePanel(tr("CAPS"), staPharvel);
    staNum = new KeyStatePanel(tr("NUM"), staPharvel);
    for (KeyStatePanel* panel : {staInsert, staCaps, staNum})
        staPharvel->addPermanentWidget(panel);
    m_keyStates = new KeyStateTracker(staInsert, staCaps, staNum, this);
}

void frmPharvel::Form_Load()
{
    ReadHospitalHeader();
    LockWaitNotice::Install(staMessage);

    if (const QScreen* where = screen())
        move(where->availableGeometry().topLeft());

    flexMSHPharvel->hide();
    fraButton->hide();
    flexMSHPharvel->Clear();

    // The size the window loads with is the smallest it may become.
    setMinimumSize(size());

    pctSplitter->hide();
    // The window is not shown yet: its layout gives the client area its size now.
    layout()->activate();
    DockBars();
    ControlsResize();

    LoadTreeView(kRootKey, QString(), false);

    staInitials->setText(mdlPharvel::objCurrentUser->Initial());
    DisableNodeCommands();
    repaint();

    if (mdlPharvel::objCurrentUser->UserRights() == AccountStore::kViewOnlyRights) {
        tbPharvel->setEnabled(false);
        mnuNew->menuAction()->setEnabled(false);
        mnuDelete->setEnabled(false);
        mnuRename->setEnabled(false);
        mnuBuildFile->menuAction()->setEnabled(false);
    }
}

void frmPharvel::ReadHospitalHeader()
{
    const std::optional<HospitalRecord> header =
        HospitalStore::Read(UserConnection(QStringLiteral("frmPharvel.Form_Load")));
    mdlPharvel::Hospital = {};
    if (header)
        mdlPharvel::Hospital = {header->clientName, header->company, header->address};
}

SQLConnection& frmPharvel::UserConnection(const QString& source) const
{
    SQLConnection* connection =
        mdlPharvel::objCurrentUser ? mdlPharvel::objCurrentUser->SQLConnection() : nullptr;
    if (!connection) {
        throw PharvelError(ErrorNumber::ConnectionFailed,
                           tr("There is no connection to the server."), source);
    }
    return *connection;
}

void frmPharvel::mnuExit_Click()
{
    close();
}

void frmPharvel::closeEvent(QCloseEvent* event)
{
    Form_Unload();
    event->accept();
}

void frmPharvel::Form_Unload()
{
    LockWaitNotice::Remove();
    mdlPharvel::ReleaseComponents();
}

bool frmPharvel::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == clientArea && event->type() == QEvent::Resize)
        Guarded([this] { Form_Resize(); });
    return QMainWindow::eventFilter(watched, event);
}
