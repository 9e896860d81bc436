#pragma once

#include <QColor>
#include <QString>

class ImageList;
class TreeNode;

// How a generic name's formulary status is shown: a colour with its word (never the colour
// alone), and in the tree a small mark on the generic name's picture for the statuses a
// prescriber must notice (restricted, with guidelines, not in the formulary), each mark of its
// own shape so that it is told apart without its colour.
namespace StatusMarks {

QColor Colour(const QString& status);
// The status's word for the screen ("restricted", "not yet decided").
QString Word(const QString& status);

// Adds to the tree's pictures one marked copy of the "capsule" picture per marked status.
void AddPictures(ImageList& pictures);
// The picture key of a generic name's node with this status: "capsule" when it has no mark.
QString ImageKey(const QString& status);
// The line a generic name's tooltip shows under its name ("Formulary: restricted").
QString ToolTipLine(const QString& status);
// Gives a generic name's node the picture and the tooltip line of its status.
void Mark(TreeNode& node, const QString& status);

} // namespace StatusMarks
