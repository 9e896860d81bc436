#include "platform/db/SearchPrefilter.h"

#include "platform/db/SqlDialect.h"

#include <algorithm>

namespace SearchPrefilter {

namespace {

bool isAscii(const QString& text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; });
}

// The characters outside ASCII whose case folding is an ASCII letter.
const QString& foldingToAscii()
{
    static const QString characters = [] {
        QString found;
        for (char32_t c = 0x80; c <= 0xFFFF; ++c) {
            const QChar character(static_cast<char16_t>(c));
            if (!character.isSurrogate() && character.toCaseFolded().unicode() < 0x80)
                found += character;
        }
        return found;
    }();
    return characters;
}

QString containsPattern(const QString& text)
{
    QString escaped = text;
    escaped.replace(QLatin1Char('\\'), QLatin1String("\\\\"))
        .replace(QLatin1Char('%'), QLatin1String("\\%"))
        .replace(QLatin1Char('_'), QLatin1String("\\_"));
    return QLatin1Char('%') + escaped + QLatin1Char('%');
}

} // namespace

Condition Candidates(const SQLConnection& connection, const QStringList& columns,
                     const QString& search)
{
    const QString wanted = search.toCaseFolded();
    if (wanted.isEmpty() || !isAscii(wanted) || columns.isEmpty())
        return {};
    QStringList alternatives;
    QVariantList values;
    for (const QString& column : columns) {
        alternatives << SqlDialect::AsciiLowered(connection, column) +
                            QStringLiteral(" LIKE ? ESCAPE '\\'");
        values << containsPattern(wanted);
        for (const QChar odd : foldingToAscii()) {
            if (!wanted.contains(odd.toCaseFolded()))
                continue;
            alternatives << column + QStringLiteral(" LIKE ? ESCAPE '\\'");
            values << containsPattern(QString(odd));
        }
    }
    return {QLatin1Char('(') + alternatives.join(QStringLiteral(" OR ")) + QLatin1Char(')'),
            values};
}

std::optional<Condition> Exact(const SQLConnection& connection, const QStringList& columns,
                               const QString& search)
{
    const QString wanted = search.toCaseFolded();
    if (wanted.isEmpty())
        return Condition{};
    if (!isAscii(wanted) || columns.isEmpty())
        return std::nullopt;
    // The odd characters that fold into the search: the columns are compared with those folded.
    QString odd;
    for (const QChar c : foldingToAscii())
        if (wanted.contains(c.toCaseFolded()))
            odd += c;
    QStringList alternatives;
    QVariantList values;
    for (const QString& column : columns) {
        // The embedded engine's LIKE ignores the case of ASCII letters by itself.
        QString folded = SqlDialect::LikeIgnoresAsciiCase(connection) && odd.isEmpty()
                             ? column
                             : SqlDialect::AsciiLowered(connection, column);
        for (const QChar c : odd) {
            folded = QStringLiteral("replace(%1, ?, ?)").arg(folded);
            values << QString(c) << QString(c.toCaseFolded());
        }
        alternatives << folded + QStringLiteral(" LIKE ? ESCAPE '\\'");
        values << containsPattern(wanted);
    }
    return Condition{
        QLatin1Char('(') + alternatives.join(QStringLiteral(" OR ")) + QLatin1Char(')'), values};
}

} // namespace SearchPrefilter
