#pragma once

#include <QStringList>
#include <QVariantList>
#include <optional>

class SQLConnection;

// Narrows a grid's search on the server, so that a keystroke in a register of 20,000 names
// fetches only the rows that can match; the caller's exact match still decides which of them do.
//
// Only a search whose case folding is ASCII is narrowed: both engines then compare ASCII letters
// alike whatever their collation. The few other characters whose folding is ASCII (the Kelvin
// sign folds to "k", the long s to "s") keep the rows holding them among the candidates.
namespace SearchPrefilter {

struct Condition
{
    QString sql; // empty when the server cannot narrow the search
    QVariantList values;
};

// A condition true for every row whose text in one of columns (SQL expressions) contains search
// with letter case ignored, and for as few others as the server can tell.
Condition Candidates(const SQLConnection& connection, const QStringList& columns,
                     const QString& search);

// A condition true exactly for the rows whose text in one of columns contains search with
// letter case ignored (empty when search is empty: every row); none when the server cannot tell
// exactly, that is for a search outside ASCII.
std::optional<Condition> Exact(const SQLConnection& connection, const QStringList& columns,
                               const QString& search);

} // namespace SearchPrefilter
