#pragma once

#include "platform/db/PharvelError.h"

#include <QObject>
#include <QString>
#include <memory>

// Creation of the system's components by class name: "ClassPharvel.Pharvel",
// "Corvida_User.clsCurrentUser" and "Scripting.FileSystemObject" (letter case not counting).
// An unknown name raises PharvelError ComponentNotFound "ActiveX component can't create object".
std::unique_ptr<QObject> CreateObject(const QString& className);

// The same, as the class the caller expects; a component of another class also raises
// ComponentNotFound.
template <class T> std::unique_ptr<T> CreateObjectAs(const QString& className)
{
    std::unique_ptr<QObject> object = CreateObject(className);
    if (!qobject_cast<T*>(object.get())) {
        throw PharvelError(ErrorNumber::ComponentNotFound,
                           QStringLiteral("Object %1 is not of the expected class").arg(className),
                           QStringLiteral("CreateObject"));
    }
    return std::unique_ptr<T>(static_cast<T*>(object.release()));
}
