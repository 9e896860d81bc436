#pragma once

class QGroupBox;

// The captions of the assignment windows' frames: bold, in the system highlight colour. Only
// the caption changes; the controls inside keep the window's font and colours. Call once the
// frame's controls are made.
void EmphasiseCaption(QGroupBox* frame);
