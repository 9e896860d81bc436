#pragma once

#include <QString>
#include <QStringList>
#include <utility>

// The rows of one move that the catalogue did not take, each with the reason it gave. A row
// whose write fails stays where it was, in the catalogue and in the tree; the move goes on with
// the next row, and at its end one message names every row left behind.
class RowsNotMoved
{
public:
    // heading: what the message says before the list ("These generic names were not moved:").
    explicit RowsNotMoved(QString heading) : m_heading(std::move(heading)) {}

    void Add(const QString& name, const QString& reason);
    bool IsEmpty() const { return m_lines.isEmpty(); }
    // One exclamation message with the application title; nothing when every row moved.
    void Show() const;

private:
    QString m_heading;
    QStringList m_lines;
};
