#pragma once

#include <QString>
#include <QTemporaryDir>

// A catalogue made for one benchmark run with the administrator's tool: a fresh database on one
// engine ("sqlite" in a temporary folder, "postgresql" as a new database on the server whose
// superuser URL is given), filled with a synthetic catalogue of the given size or with the demo
// catalogue (or left empty), and an account to log in with. Dropped again when it goes.
class BenchDatabase
{
public:
    enum class Content { Synthetic, Demo, Empty };

    BenchDatabase(const QString& engine, const QString& serverUrl, Content content, int nodes);
    ~BenchDatabase();

    BenchDatabase(const BenchDatabase&) = delete;
    BenchDatabase& operator=(const BenchDatabase&) = delete;

    const QString& Target() const { return m_target; }
    const QString& UserId() const { return m_userId; }
    static QString Password() { return QStringLiteral("benchmark pharmacist"); }

private:
    void RunAdmin(const QStringList& arguments) const;

    QString m_serverUrl;
    QTemporaryDir m_folder;
    QString m_databaseName;
    QString m_target;
    QString m_userId;
};
