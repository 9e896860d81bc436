#pragma once

#include <QString>
#include <exception>

// The one exception of the system: a number, a description and the source that raised it
// ("frmPharvel.NodeFound", "SQLConnection.Execute", ...). Database and component failures are
// all raised as this, carrying the driver's own text in the description.
class PharvelError : public std::exception
{
public:
    PharvelError(int number, QString description, QString source);

    int Number() const noexcept { return m_number; }
    const QString& Description() const noexcept { return m_description; }
    const QString& Source() const noexcept { return m_source; }

    // The same error raised again by a procedure that names itself as the source.
    PharvelError WithSource(const QString& source) const;

    const char* what() const noexcept override { return m_what.constData(); }

private:
    int m_number;
    QString m_description;
    QString m_source;
    QByteArray m_what;
};

// Error numbers. The database ones follow the kind of failure, not the engine, so that a form can
// tell "somebody else took this key" from "the server is gone" on either engine.
namespace ErrorNumber {
inline constexpr int Overflow = 6;              // a value beyond a 16-bit limit
inline constexpr int TypeMismatch = 13;         // a text that is no number where one is needed
inline constexpr int DatabaseError = 1000;      // any other failure the driver reports
inline constexpr int ConnectionFailed = 1001;   // the server cannot be reached, or went away
inline constexpr int ConstraintViolated = 1002; // a key taken, a parent missing, a row filed twice
inline constexpr int NotPermitted = 1003;       // the user's rights do not allow the change
inline constexpr int Refused = 1004; // the catalogue refuses a change that would break it
inline constexpr int Timeout = 1005; // the command time-out ran out (or a lock wait)
inline constexpr int BadConnectionString = 1006;
inline constexpr int ComponentNotFound = 1007; // no component is registered under a class name
inline constexpr int LoginFailed = 1008;
inline constexpr int DiskFull = 1009; // the disk of the embedded database has no room left
} // namespace ErrorNumber
