#pragma once

#include "catalogue/PharvelLayout.h"
#include "platform/db/CatalogueTypes.h"
#include "platform/widgets/TreeNode.h"

#include <QMainWindow>
#include <QSet>
#include <QStringList>

class FlexGrid;
class FormularyPane;
class ImageList;
class KeyStatePanel;
class KeyStateTracker;
class KeyedTree;
class QAction;
class QFrame;
class QLabel;
class QMenu;
class QPushButton;
class QStatusBar;
class QToolBar;
class QToolButton;
class SQLConnection;
class SplitterImage;
class StretchedPicture;
class frmDrugInformation;
class frmDrugList;
class frmFormulary;
class frmEntry;
class frmFind;
class frmGeneric;
class frmList;
class frmMedDetails;

// The main window: the catalogue tree with its menus, toolbar and status bar. There is one per
// run, made and loaded by the start-up and shown only once its load has completed; closing it
// releases both components and ends the run.
//
// Geometry is kept in twips (PharvelLayout) and drawn in pixels of the window's screen.
class frmPharvel : public QMainWindow
{
    Q_OBJECT

public:
    explicit frmPharvel(QWidget* parent = nullptr);
    ~frmPharvel() override;

    // Fills the tree below ParentNode ("_0" rebuilds it from the root), every level when LoadAll
    // is set, and returns the number of rows the catalogue delivered. Title names the load in
    // the progress window.
    qint16 LoadTreeView(const QString& ParentNode, const QString& Title, bool LoadAll);
    void ControlsResize();
    void AdjustControls();
    // A node clicked, or opened by the find window: its children loaded if it shows none, and
    // the editing commands set for its type and the user's rights.
    void trePharvel_NodeClick(TreeNode Node);
    // True when the database knows a node with this key.
    bool NodeFound(const QString& strNodeKey);

    // The window's events.
    void Form_Load();
    void Form_Resize();
    void mnuExit_Click();
    // "&Find Entry": the find window, then the walk down the trace it leaves.
    void mnuFindEntry_Click();
    // x and y in twips within the splitter.
    void imgSplitter_MouseDown(Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int x, int y);
    void imgSplitter_MouseMove(Qt::MouseButtons Button, Qt::KeyboardModifiers Shift, int x, int y);
    void imgSplitter_MouseUp(Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int x, int y);
    // The "&Reports" menu: each report shown in the report viewer (frmPharvelReports.cpp).
    void mnuPharvelReport_Click();
    void mnuDrugsWOGeneric_Click();
    void mnuDrugsWODetails_Click();
    void mnuFormularyReport_Click();
    void mnuCatalogueChanges_Click();
    // "&Help": the manual page (F1, where one is installed) and "&About Pharvel".
    void mnuManual_Click();
    void mnuAbout_Click();

    // Asks for a name and makes a node of strNodeType ("1" classification, "2" generic name)
    // under the selected node: in the catalogue first, then in the tree. Type "3" makes nothing.
    void AddNode(const QString& strNodeType, qint16 intItemCode, const QString& strClassName);
    // True when a data row of the grid (row 1 to the last) holds text in its tick column 7, as
    // the details pane marks a chosen row.
    bool IsChecked(const FlexGrid& flexMSHtemp) const;

    // The catalogue commands, reached from the menus, the toolbar and the tree's keys.
    void mnuNewClassification_Click();
    // The assignment windows for the selected classification or generic name
    // (frmPharvelAssign.cpp).
    void mnuNewGeneric_Click();
    void mnuNewDrug_Click();
    void mnuOther_Click();
    // "&Formulary…": the formulary window for the selected generic name; FormularySaved tells
    // when it saved.
    void mnuFormulary_Click();
    void mnuDelete_Click();
    void mnuRename_Click();
    void mnuGenericFiles_Click();
    void mnuRefresh_Click();
    void mnuLoadAll_Click();
    // Index: the toolbar button, 1 to 7 with the separators counted. Button and Item: the
    // drop-down item Item of the toolbar button Button.
    void tbPharvel_ButtonClick(int Index);
    void tbPharvel_ButtonMenuClick(int Button, int Item);

    // The tree's events besides the node click.
    void trePharvel_BeforeLabelEdit(bool& Cancel);
    void trePharvel_AfterLabelEdit(bool& Cancel, QString& NewString);
    void trePharvel_Collapse(TreeNode Node);
    void trePharvel_KeyDown(int KeyCode, Qt::KeyboardModifiers Shift);
    // x and y in pixels within the tree's viewport.
    void trePharvel_MouseDown(Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int x, int y);
    void trePharvel_Click();
    void trePharvel_DblClick();

    // The windows the commands and the tree open, each made at its first opening and kept for
    // the run.
    frmEntry& EntryWindow();
    frmGeneric& GenericWindow();
    frmDrugInformation& DrugInformationWindow();
    frmFormulary& FormularyWindow();
    frmMedDetails& MedDetailsWindow();
    frmList& ListWindow();
    frmDrugList& DrugListWindow();

    const PharvelLayout& Layout() const { return m_layout; }

    // The right pane over imgBack, showing the selected entry (frmPharvelPane.cpp).
    FormularyPane* Pane() const { return m_formularyPane; }
    // Opens the tree down to the node that files the generic name and selects it.
    void ShowGenericInTree(CatalogueId::Generic generic);

    // The client area: everything below the menu bar, toolbar and status bar included.
    QWidget* clientArea;
    QToolBar* tbPharvel;
    QStatusBar* staPharvel;
    QLabel* staMessage;
    QLabel* staInitials;
    KeyStatePanel* staInsert;
    KeyStatePanel* staCaps;
    KeyStatePanel* staNum;
    KeyedTree* trePharvel;
    SplitterImage* imgSplitter;
    QWidget* pctSplitter;
    StretchedPicture* imgBack;
    QFrame* fraPharvel;
    FlexGrid* flexMSHPharvel;
    QFrame* fraButton;
    QPushButton* cmdAdd;
    QPushButton* cmdClearAll;
    ImageList* ilsTree;
    ImageList* ilPharvel;
    ImageList* ilsInactive;
    ImageList* ilsCheck;

    QMenu* mnuPopup;
    QMenu* mnuNew;
    QAction* mnuNewClassification;
    QAction* mnuNewGeneric;
    QAction* mnuNewDrug;
    QAction* mnuOther;
    QAction* mnuFormulary;
    QAction* mnuSep1;
    QAction* mnuDelete;
    QAction* mnuRename;
    QAction* mnuSep2;
    QAction* mnuProperties;
    QAction* mnuSep3;
    QAction* mnuExit;
    QMenu* mnuBuildFile;
    QAction* mnuGenericFiles;
    QMenu* mnuFind;
    QAction* mnuFindEntry;
    QAction* mnuSep12;
    QAction* mnuRefresh;
    QAction* mnuLoadAll;
    QMenu* mnuReport;
    QAction* mnuPharvelReport;
    QAction* mnuDrugsWOGeneric;
    QAction* mnuDrugsWODetails;
    QAction* mnuFormularyReport;
    QAction* mnuCatalogueChanges;
    QMenu* mnuHelp;
    QAction* mnuManual = nullptr; // only where the manual page is installed
    QAction* mnuAbout;

    // Toolbar buttons 1 ("New Entry", whose click does nothing but open its drop-down items
    // "Classification", "Generic" and "Drug"), 3 "Delete", 4 "Rename", 6 "Generic Name Buil File"
    // and 7, the find button, which is never offered.
    QAction* tbNewEntry;
    QToolButton* tbNewEntryButton;
    QAction* tbNewClassification;
    QAction* tbNewGeneric;
    QAction* tbNewDrug;
    QAction* tbDelete;
    QAction* tbRename;
    QAction* tbGenericFiles;
    QAction* tbFindEntry;

signals:
    // The formulary window saved the generic name's formulary.
    void FormularySaved(int genericCode);

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreatePanes();
    void CreateFormularyPane();
    void CreateMenus();
    void CreateToolbar();
    void CreateStatusBar();
    void ReadHospitalHeader();
    void DisableNodeCommands();
    void SetCommandsForType(const QString& nodeType);
    // The commands for the tree's selected node, as a node click sets them; none for no node.
    void SetCommandsForSelection();
    void DockBars();
    void PlaceDetailsPane();
    void PlaceDragBar();
    QRect Pixels(const TwipsBox& box) const;
    int ClientWidthTwips() const;
    int OuterWidthTwips() const;
    SQLConnection& UserConnection(const QString& source) const;
    QSet<QString> NodesFound(const QStringList& keys);
    void Form_Unload();
    void ConnectCommands();
    // After a command that may have filed entries under the selected node: show them.
    void ExpandSelectionIfFilled();
    void ConnectTreeEvents();
    void SetContextMenuCommands(const TreeNode& node);
    void WalkTrace();

    PharvelLayout m_layout;
    KeyStateTracker* m_keyStates = nullptr;
    // The selected node's text as it was when in-place editing of its label began.
    QString m_labelBeforeEdit;
    frmEntry* m_entryWindow = nullptr;
    frmGeneric* m_genericWindow = nullptr;
    frmDrugInformation* m_drugInformationWindow = nullptr;
    frmFormulary* m_formularyWindow = nullptr;
    frmMedDetails* m_medDetailsWindow = nullptr;
    frmList* m_listWindow = nullptr;
    frmDrugList* m_drugListWindow = nullptr;
    frmFind* m_find = nullptr;
    FormularyPane* m_formularyPane = nullptr;
};
