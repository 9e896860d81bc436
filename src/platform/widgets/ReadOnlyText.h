#pragma once

#include <QLineEdit>

class QPlainTextEdit;

// Text boxes that show data the user may read and copy but never change: drawn on the window's
// ground rather than the white of a box that takes typing, as the platform draws read-only text.
namespace ReadOnlyText {

void Apply(QLineEdit* box);
void Apply(QPlainTextEdit* box);

} // namespace ReadOnlyText

// A one-line read-only box that selects nothing when the focus comes to it, so that opening its
// window or tabbing to it does not look like text about to be typed over.
class ReadOnlyLineEdit : public QLineEdit
{
    Q_OBJECT

public:
    explicit ReadOnlyLineEdit(QWidget* parent = nullptr);

protected:
    void focusInEvent(QFocusEvent* event) override;
};
