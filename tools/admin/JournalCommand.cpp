#include "JournalCommand.h"

#include "platform/db/Journal.h"
#include "platform/db/SQLConnection.h"

#include <QCommandLineParser>
#include <iostream>

namespace JournalCommand {

namespace {
const QStringList kColumns{QStringLiteral("At"),      QStringLiteral("User"),
                           QStringLiteral("Desktop"), QStringLiteral("Action"),
                           QStringLiteral("Entry"),   QStringLiteral("Before and after")};

// A date ("2026-12-09", the whole day) or a time ("2026-12-09 14:30" or ISO), always UTC.
// endOfDay: a bare date stands for the end of that day (an --until that includes the day).
QDateTime timeOption(const QCommandLineParser& parser, const QString& name, bool endOfDay)
{
    if (!parser.isSet(name))
        return {};
    const QString text = parser.value(name).trimmed();
    const QDate date = QDate::fromString(text, Qt::ISODate);
    if (date.isValid())
        return QDateTime(endOfDay ? date.addDays(1) : date, QTime(0, 0), Qt::UTC);
    QDateTime time = QDateTime::fromString(text, Qt::ISODate);
    if (!time.isValid())
        time = QDateTime::fromString(text, QStringLiteral("yyyy-MM-dd hh:mm"));
    if (!time.isValid())
        throw BadOption{QStringLiteral("--%1 takes a date (2026-12-09) or a time "
                                       "(2026-12-09 14:30), in UTC")
                            .arg(name)};
    time.setTimeSpec(Qt::UTC);
    return time;
}

QString csvField(const QString& text)
{
    if (!text.contains(QLatin1Char('"')) && !text.contains(QLatin1Char(',')) &&
        !text.contains(QLatin1Char('\n')))
        return text;
    QString quoted = text;
    quoted.replace(QLatin1String("\""), QLatin1String("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

// One field of the plain listing on its own line and between its tabs: a line break or tab in
// a name is written as \n or \t, and a backslash as \\.
QString plainField(const QString& text)
{
    QString escaped;
    escaped.reserve(text.size());
    for (const QChar c : text) {
        if (c == QLatin1Char('\\'))
            escaped += QLatin1String("\\\\");
        else if (c == QLatin1Char('\n'))
            escaped += QLatin1String("\\n");
        else if (c == QLatin1Char('\r'))
            escaped += QLatin1String("\\r");
        else if (c == QLatin1Char('\t'))
            escaped += QLatin1String("\\t");
        else
            escaped += c;
    }
    return escaped;
}

void out(const QString& text)
{
    std::cout << text.toStdString() << '\n';
}
} // namespace

void List(SQLConnection& connection, const QCommandLineParser& parser)
{
    Journal::Filter filter;
    filter.since = timeOption(parser, QStringLiteral("since"), false);
    filter.until = timeOption(parser, QStringLiteral("until"), true);
    filter.user = parser.value(QStringLiteral("user"));
    filter.entry = parser.value(QStringLiteral("entry"));
    RowSet rows = Journal::List(connection, filter);
    const bool csv = parser.isSet(QStringLiteral("csv"));
    const auto line = [&](const QStringList& fields) {
        QStringList written;
        for (const QString& field : fields)
            written << (csv ? csvField(field) : plainField(field));
        out(written.join(csv ? QLatin1Char(',') : QLatin1Char('\t')));
    };
    line(kColumns);
    for (rows.MoveFirst(); !rows.AtEnd(); rows.MoveNext())
        line({rows.Text(QStringLiteral("At")), rows.Text(QStringLiteral("User")),
              rows.Text(QStringLiteral("Desktop")), rows.Text(QStringLiteral("Action")),
              rows.Text(QStringLiteral("Entry")), Journal::BeforeAfter(rows)});
}

void Prune(SQLConnection& connection, const QCommandLineParser& parser)
{
    const QDateTime before = timeOption(parser, QStringLiteral("before"), false);
    if (!before.isValid())
        throw BadOption{QStringLiteral("journal prune needs --before DATE")};
    const int deleted = Journal::Prune(connection, before);
    out(QStringLiteral("%1 journal rows before %2 UTC deleted")
            .arg(deleted)
            .arg(before.toString(QStringLiteral("yyyy-MM-dd hh:mm"))));
}

} // namespace JournalCommand
