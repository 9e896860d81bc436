#include "platform/db/AtcCode.h"

namespace AtcCode {

namespace {
// The characters each level adds, as the last position of the code at that level.
constexpr int kLevelEnds[] = {1, 3, 4, 5, 7};

bool isCapital(QChar c)
{
    return c >= QLatin1Char('A') && c <= QLatin1Char('Z');
}

bool isDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// Whether the character at position i (from 0) is of the kind that place in a code takes.
bool fitsPlace(QChar c, int i)
{
    return i == 0 || i == 3 || i == 4 ? isCapital(c) : isDigit(c);
}
} // namespace

Level LevelOf(const QString& code)
{
    const qsizetype length = code.size();
    int level = 0;
    for (int l = 0; l < 5; ++l)
        if (kLevelEnds[l] == length)
            level = l + 1;
    if (level == 0)
        return Level::Malformed;
    for (int i = 0; i < length; ++i)
        if (!fitsPlace(code.at(i), i))
            return Level::Malformed;
    return static_cast<Level>(level);
}

QString Problem(const QString& code)
{
    if (IsWellFormed(code))
        return {};
    if (IsWellFormed(code.toUpper()))
        return QStringLiteral("The ATC code \"%1\" must be written in capitals: \"%2\".")
            .arg(code, code.toUpper());
    return QStringLiteral("\"%1\" is no ATC code: a code is a capital letter, then two digits, "
                          "a letter, a letter and two digits, cut after any level (A, A01, "
                          "A01A, A01AA, A01AA01).")
        .arg(code);
}

} // namespace AtcCode
