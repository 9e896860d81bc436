#pragma once

#include <QString>
#include <optional>

class SQLConnection;

// The other-details text of a generic name (inventory.tbPharvelOtherDetails), saved so that two
// desktops never lose each other's text silently: a save checks, inside its transaction, that the
// text is still the one the window read, and inserts or updates the row, whichever the table
// needs at that moment. Each save is journaled with the text before and after.
namespace OtherDetailsStore {

// The text as read: none when the generic name has no row yet.
using Text = std::optional<QString>;

Text Read(SQLConnection& connection, int genericId);

struct Outcome
{
    bool saved = false;
    // When not saved: the text another desktop saved after asRead was read, and who saved it
    // when, from the journal (empty when the journal does not say).
    Text theirs;
    QString who;
};

// Saves text unless the stored text is no longer asRead; then nothing is written and the
// stored text is returned with who saved it, for the user to choose between theirs and their own.
Outcome Save(SQLConnection& connection, int genericId, const QString& text, const Text& asRead);

} // namespace OtherDetailsStore
