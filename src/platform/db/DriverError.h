#pragma once

#include "platform/db/ConnectionString.h"
#include "platform/db/PharvelError.h"

class QSqlError;

// Turns a driver's failure into the system's error: the kind of failure picks the number, the
// description keeps the driver's own text, and a lost or unreachable server is named.
PharvelError DriverError(const QSqlError& error, const ConnectionString& target,
                         const QString& source);
