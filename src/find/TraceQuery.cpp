#include "find/TraceQuery.h"

#include "platform/db/SQLConnection.h"

namespace TraceQuery {

RowSet Open(SQLConnection& connection)
{
    // The trace table is the session's own, so no other user's trace can come between.
    return connection.OpenRowSet(
        QStringLiteral("SELECT Node_Key FROM tbForTraceParent ORDER BY Node_Key"));
}

} // namespace TraceQuery
