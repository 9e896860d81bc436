#include "BenchDatabase.h"

#include "platform/db/PharvelError.h"
#include "platform/db/SQLConnection.h"
#include "platform/user/AccountStore.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QUrl>
#include <QUuid>
#include <stdexcept>

namespace {

// The administrator's tool, built beside the benchmark program.
QString AdminTool()
{
    return QDir(QCoreApplication::applicationDirPath())
        .absoluteFilePath(QStringLiteral("../tools/pharvel-admin"));
}

QString WithDatabase(const QString& serverUrl, const QString& database)
{
    QUrl url(serverUrl);
    url.setPath(QLatin1Char('/') + database);
    return url.toString(QUrl::FullyEncoded);
}

} // namespace

BenchDatabase::BenchDatabase(const QString& engine, const QString& serverUrl, Content content,
                             int nodes)
    : m_serverUrl(serverUrl)
{
    if (engine == QLatin1String("sqlite")) {
        m_target = m_folder.path();
    } else {
        m_databaseName =
            QStringLiteral("pharvel_bench_") + QUuid::createUuid().toString(QUuid::Id128).left(12);
        SQLConnection::Open(serverUrl)->Execute(QStringLiteral("CREATE DATABASE ") +
                                                m_databaseName);
        m_target = WithDatabase(serverUrl, m_databaseName);
    }
    RunAdmin({QStringLiteral("create"), m_target});
    if (content == Content::Synthetic)
        RunAdmin({QStringLiteral("synthetic"), m_target, QStringLiteral("--nodes"),
                  QString::number(nodes)});
    else if (content == Content::Demo)
        RunAdmin({QStringLiteral("demo"), m_target});

    // A server that has run for a while has statistics of its tables; a freshly loaded one
    // has none until the next automatic analysis, and plans the tree's queries blindly.
    SQLConnection::Open(m_target)->Execute(QStringLiteral("ANALYZE"));

    m_userId = QStringLiteral("bench_") + QUuid::createUuid().toString(QUuid::Id128).left(8);
    auto connection = SQLConnection::Open(m_target);
    AccountStore::AddAccount(*connection, m_userId, Password(), QStringLiteral("BN"),
                             QStringLiteral(""), AccountStore::kPharmacyDeptCode);
}

BenchDatabase::~BenchDatabase()
{
    try {
        AccountStore::RemoveAccount(*SQLConnection::Open(m_target), m_userId);
        if (!m_databaseName.isEmpty()) {
            SQLConnection::Open(m_serverUrl)
                ->Execute(QStringLiteral("DROP DATABASE IF EXISTS ") + m_databaseName +
                          QStringLiteral(" WITH (FORCE)"));
        }
    } catch (const PharvelError& error) {
        qWarning("could not remove the benchmark database: %s", error.what());
    }
}

void BenchDatabase::RunAdmin(const QStringList& arguments) const
{
    QProcess admin;
    admin.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    admin.start(AdminTool(), arguments);
    admin.closeWriteChannel();
    if (!admin.waitForFinished(600'000) || admin.exitStatus() != QProcess::NormalExit ||
        admin.exitCode() != 0) {
        throw std::runtime_error(qPrintable(
            QStringLiteral("pharvel-admin %1 failed").arg(arguments.join(QLatin1Char(' ')))));
    }
}
