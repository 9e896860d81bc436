#pragma once

#include <QString>

// The longest texts the catalogue keeps. No real catalogue comes near them; they are there so
// that a pasted or generated text of millions of characters is refused where it enters (a
// window, the component, an import) instead of freezing every window that later shows it.
namespace TextLimits {

// A classification's, a generic name's or a drug's name: one line of a tree or a grid.
inline constexpr qsizetype kName = 250;
// Each of a drug's other fields (description, indication, dosage, administration, preparation).
inline constexpr qsizetype kDrugField = 4000;
// The other-details text of a generic name: a few pages of notes.
inline constexpr qsizetype kOtherDetails = 32000;

// The formulary's texts (the tables refuse longer ones too): a restriction or guidelines text, a
// decision's reference, a code system's name, a code, an alternative's note.
inline constexpr qsizetype kRestriction = 4000;
inline constexpr qsizetype kDecisionRef = 200;
inline constexpr qsizetype kCodeSystem = 40;
inline constexpr qsizetype kCode = 40;
inline constexpr qsizetype kNote = 1000;

// The message that refuses a text over its limit; `what` names the text ("The name").
inline QString TooLong(const QString& what, qsizetype limit)
{
    return QStringLiteral("%1 is longer than %2 characters; nothing was changed.")
        .arg(what)
        .arg(limit);
}

} // namespace TextLimits
