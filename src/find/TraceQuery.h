#pragma once

#include "platform/db/RowSet.h"

class SQLConnection;

// The trace that For_TraceParent last wrote on this connection: one Node_Key a row, in key
// order. Every node below the top level has a key that begins with its parent's key, so key
// order lists the trace from the top level down.
namespace TraceQuery {

RowSet Open(SQLConnection& connection);

} // namespace TraceQuery
