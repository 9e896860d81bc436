#pragma once

#include "platform/db/SQLConnection.h"

// A write that touches several rows runs inside one of these: it rolls back unless Commit() was
// reached, so an error half-way leaves the catalogue as it was. A scope opened inside another
// joins it; only the outermost one commits.
class ScopedTransaction
{
public:
    explicit ScopedTransaction(SQLConnection& connection) : m_connection(connection)
    {
        m_connection.BeginTransaction();
    }
    ~ScopedTransaction()
    {
        if (!m_committed)
            m_connection.Rollback();
    }
    ScopedTransaction(const ScopedTransaction&) = delete;
    ScopedTransaction& operator=(const ScopedTransaction&) = delete;

    void Commit()
    {
        m_committed = true;
        m_connection.Commit();
    }

private:
    SQLConnection& m_connection;
    bool m_committed = false;
};
