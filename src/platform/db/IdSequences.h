#pragma once

class SQLConnection;

// After rows were written with ids of their own (a whole catalogue loaded at once), the server's
// id generators are moved on past the highest id, so that a row written later without an id
// does not take one in use. The embedded engine numbers a new row from the highest id anyway.
namespace IdSequences {

void Advance(SQLConnection& connection);

} // namespace IdSequences
