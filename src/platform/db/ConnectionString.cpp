#include "platform/db/ConnectionString.h"

#include "platform/db/PharvelError.h"

#include <QUrl>
#include <QUrlQuery>

namespace {
const QString kSource = QStringLiteral("ConnectionString.Parse");

bool isPostgresUrl(const QString& text)
{
    return text.startsWith(QLatin1String("postgresql://"), Qt::CaseInsensitive) ||
           text.startsWith(QLatin1String("postgres://"), Qt::CaseInsensitive);
}
} // namespace

ConnectionString ConnectionString::Parse(const QString& text)
{
    ConnectionString result;
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        throw PharvelError(ErrorNumber::BadConnectionString,
                           QStringLiteral("The connection string is empty."), kSource);

    if (!isPostgresUrl(trimmed)) {
        result.engine = Engine::SQLite;
        result.folder = trimmed.startsWith(QLatin1String("sqlite:"), Qt::CaseInsensitive)
                            ? trimmed.mid(7)
                            : trimmed;
        if (result.folder.startsWith(QLatin1String("//")))
            result.folder = result.folder.mid(2);
        const qsizetype question = result.folder.lastIndexOf(QLatin1String("?user="));
        if (question >= 0) {
            result.user = QUrl::fromPercentEncoding(result.folder.mid(question + 6).toUtf8());
            result.folder.truncate(question);
        }
        if (result.folder.isEmpty())
            throw PharvelError(ErrorNumber::BadConnectionString,
                               QStringLiteral("The connection string names no folder."), kSource);
        return result;
    }

    const QUrl url(trimmed, QUrl::StrictMode);
    if (!url.isValid())
        throw PharvelError(ErrorNumber::BadConnectionString,
                           QStringLiteral("The connection string is not a valid address: %1")
                               .arg(url.errorString()),
                           kSource);
    result.engine = Engine::PostgreSQL;
    result.host = url.host();
    result.port = url.port(5432);
    result.database = url.path().mid(1);
    result.user = url.userName();
    result.password = url.password();
    const QUrlQuery query(url);
    if (query.hasQueryItem(QStringLiteral("host")))
        result.host = query.queryItemValue(QStringLiteral("host"), QUrl::FullyDecoded);
    // A socket folder's server may listen on another port number too (it names the socket).
    if (query.hasQueryItem(QStringLiteral("port"))) {
        bool ok = false;
        result.port = query.queryItemValue(QStringLiteral("port")).toInt(&ok);
        if (!ok || result.port < 1 || result.port > 65535)
            throw PharvelError(ErrorNumber::BadConnectionString,
                               QStringLiteral("The port %1 of the connection string is no port "
                                              "number.")
                                   .arg(query.queryItemValue(QStringLiteral("port"))),
                               kSource);
    }
    if (query.hasQueryItem(QStringLiteral("sslmode")))
        result.sslmode = query.queryItemValue(QStringLiteral("sslmode"));
    if (result.database.isEmpty())
        throw PharvelError(ErrorNumber::BadConnectionString,
                           QStringLiteral("The connection string names no database."), kSource);
    return result;
}

QString ConnectionString::WithCredentials(const QString& userName,
                                          const QString& passwordText) const
{
    if (engine == Engine::SQLite) {
        if (userName.isEmpty())
            return QStringLiteral("sqlite:") + folder;
        return QStringLiteral("sqlite:") + folder + QStringLiteral("?user=") +
               QString::fromLatin1(QUrl::toPercentEncoding(userName));
    }
    QUrl url;
    url.setScheme(QStringLiteral("postgresql"));
    url.setUserName(userName);
    url.setPassword(passwordText);
    QUrlQuery query;
    const bool socket = host.startsWith(QLatin1Char('/'));
    if (socket)
        query.addQueryItem(QStringLiteral("host"), host);
    else
        url.setHost(host.isEmpty() ? QStringLiteral("localhost") : host);
    if (port != 5432 && socket)
        query.addQueryItem(QStringLiteral("port"), QString::number(port));
    else if (port != 5432)
        url.setPort(port);
    url.setPath(QLatin1Char('/') + database);
    if (!sslmode.isEmpty())
        query.addQueryItem(QStringLiteral("sslmode"), sslmode);
    url.setQuery(query);
    return url.toString(QUrl::FullyEncoded);
}

QString ConnectionString::ServerName() const
{
    if (engine == Engine::SQLite)
        return folder;
    return QStringLiteral("%1/%2").arg(host.isEmpty() ? QStringLiteral("localhost") : host,
                                       database);
}
