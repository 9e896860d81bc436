#pragma once

#include <QString>

// Another desktop saved what this window is saving after the window read it: asks the user
// whether to overwrite their save (Yes) or to keep it (No). what names the data ("the other
// details"), who says who changed it and when, from the journal (empty when it does not say).
bool OverwriteTheirs(const QString& what, const QString& who);
