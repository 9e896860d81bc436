#pragma once

class QWidget;

// Where the small windows of the start-up and the loads appear.
namespace WindowPlacement {

// Moves the window so that it stands in the middle of its screen's available area.
void CentreOnScreen(QWidget* window);

} // namespace WindowPlacement
