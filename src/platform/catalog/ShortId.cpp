#include "platform/catalog/ShortId.h"

#include "platform/db/PharvelError.h"

#include <cmath>
#include <limits>

namespace ClassPharvel::ShortId {

namespace {
constexpr int kLowest = std::numeric_limits<qint16>::min();
constexpr int kHighest = std::numeric_limits<qint16>::max();

[[noreturn]] void overflow(const QString& shown, const QString& what)
{
    throw PharvelError(ErrorNumber::Overflow,
                       QStringLiteral("%1 %2 lies beyond the range %3 to %4 of catalogue ids.")
                           .arg(what, shown)
                           .arg(kLowest)
                           .arg(kHighest),
                       {});
}
} // namespace

int FromInteger(int value, const QString& what)
{
    if (value < kLowest || value > kHighest)
        overflow(QString::number(value), what);
    return value;
}

int FromNumber(double value, const QString& what)
{
    // An infinity is merely too large; NaN and fractions are no id at all.
    if (std::isnan(value) || (std::isfinite(value) && std::trunc(value) != value))
        throw PharvelError(
            ErrorNumber::TypeMismatch,
            QStringLiteral("%1 %2 is not a whole number.").arg(what, QString::number(value)), {});
    if (value < kLowest || value > kHighest)
        overflow(QString::number(value), what);
    return static_cast<int>(value);
}

int FromText(const QString& text, const QString& what)
{
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    if (!ok)
        throw PharvelError(ErrorNumber::TypeMismatch,
                           QStringLiteral("%1 \"%2\" is not a number.").arg(what, text), {});
    return FromNumber(value, what);
}

} // namespace ClassPharvel::ShortId
