// The main window's layout: fitting the panes to the window and the splitter between them.
#include "app/StretchedPicture.h"
#include "catalogue/SplitterImage.h"
#include "catalogue/frmPharvel.h"
#include "platform/widgets/FlexGrid.h"
#include "platform/widgets/ImageList.h"
#include "platform/widgets/KeyedTree.h"
#include "platform/widgets/Twips.h"

#include <QFrame>
#include <QStatusBar>
#include <QToolBar>

namespace {
constexpr int kToolbarHeight = 645;
constexpr int kStatusBarHeight = 375;
} // namespace

QRect frmPharvel::Pixels(const TwipsBox& box) const
{
    return TwipsRect(box.left, box.top, box.width, box.height, this);
}

int frmPharvel::ClientWidthTwips() const
{
    return Twips::FromPixels(clientArea->width(), this);
}

int frmPharvel::OuterWidthTwips() const
{
    return Twips::FromPixels(frameGeometry().width(), this);
}

void frmPharvel::Form_Resize()
{
    // The smallest size is kept by the window itself (set at load), so only the layout is left.
    if (isMinimized())
        return;
    DockBars();
    ControlsResize();
}

// The toolbar and the status bar are docked to the top and the bottom of the client area.
void frmPharvel::DockBars()
{
    const int width = clientArea->width();
    tbPharvel->setGeometry(0, 0, width, Twips::ToPixels(kToolbarHeight, this));
    const int statusHeight = Twips::ToPixels(kStatusBarHeight, this);
    staPharvel->setGeometry(0, clientArea->height() - statusHeight, width, statusHeight);
}

void frmPharvel::ControlsResize()
{
    m_layout.ControlsResize(ClientWidthTwips(), Twips::FromPixels(clientArea->height(), this),
                            Twips::FromPixels(staPharvel->height(), this));
    trePharvel->setGeometry(Pixels(m_layout.tree));
    imgSplitter->setGeometry(Pixels(m_layout.splitter));
    imgBack->setGeometry(Pixels(m_layout.back));
    PlaceDetailsPane();
    fraButton->move(Pixels(m_layout.buttons).topLeft());
    for (int column = 0; column < PharvelLayout::kGridColumns; ++column)
        flexMSHPharvel->SetColWidth(column, m_layout.gridColumns[static_cast<size_t>(column)]);
    repaint();
}

void frmPharvel::AdjustControls()
{
    m_layout.AdjustControls(ClientWidthTwips());
    trePharvel->setGeometry(Pixels(m_layout.tree));
    imgBack->setGeometry(Pixels(m_layout.back));
    PlaceDetailsPane();
    fraButton->move(Pixels(m_layout.buttons).topLeft());
}

void frmPharvel::PlaceDetailsPane()
{
    fraPharvel->setGeometry(Pixels(m_layout.frame));
    flexMSHPharvel->setGeometry(Pixels(m_layout.grid));
    fraButton->resize(Pixels(m_layout.buttons).size());
}

void frmPharvel::PlaceDragBar()
{
    pctSplitter->setGeometry(Pixels(m_layout.dragBar));
    pctSplitter->raise();
}

void frmPharvel::imgSplitter_MouseDown(Qt::MouseButton, Qt::KeyboardModifiers, int x, int)
{
    m_layout.SplitterDown(x);
    PlaceDragBar();
    pctSplitter->show();
}

void frmPharvel::imgSplitter_MouseMove(Qt::MouseButtons, Qt::KeyboardModifiers, int x, int)
{
    if (!m_layout.Dragging())
        return;
    m_layout.SplitterMove(x, OuterWidthTwips());
    PlaceDragBar();
}

void frmPharvel::imgSplitter_MouseUp(Qt::MouseButton, Qt::KeyboardModifiers, int, int)
{
    m_layout.SplitterUp();
    imgSplitter->setGeometry(Pixels(m_layout.splitter));
    pctSplitter->hide();
    AdjustControls();
}
