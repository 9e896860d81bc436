#pragma once

#include <QString>

// The codes of the WHO's Anatomical Therapeutic Chemical classification, as a generic name and
// the hospital's copy of the index carry them. A code spells its place in five levels, each
// adding to the one above: a letter, two digits, a letter, a letter, two digits, in capitals.
namespace AtcCode {

// The name of the code system whose codes are checked here; other systems take any code.
inline const QString kSystem = QStringLiteral("ATC");

enum class Level {
    Malformed = 0,
    AnatomicalGroup = 1,         // "A"
    TherapeuticSubgroup = 2,     // "A01"
    PharmacologicalSubgroup = 3, // "A01A"
    ChemicalSubgroup = 4,        // "A01AA"
    Substance = 5                // "A01AA01"
};

// The level a code names, or Malformed when it is no ATC code (a small letter included).
Level LevelOf(const QString& code);
inline bool IsWellFormed(const QString& code)
{
    return LevelOf(code) != Level::Malformed;
}

// Why code is no ATC code, as a sentence for the user; empty when it is one.
QString Problem(const QString& code);

} // namespace AtcCode
