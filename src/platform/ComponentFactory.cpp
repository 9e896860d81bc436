#include "platform/ComponentFactory.h"

#include "platform/FileSystemObject.h"
#include "platform/catalog/Pharvel.h"
#include "platform/user/clsCurrentUser.h"

std::unique_ptr<QObject> CreateObject(const QString& className)
{
    if (className.compare(QLatin1String("ClassPharvel.Pharvel"), Qt::CaseInsensitive) == 0)
        return std::make_unique<ClassPharvel::Pharvel>();
    if (className.compare(QLatin1String("Corvida_User.clsCurrentUser"), Qt::CaseInsensitive) == 0)
        return std::make_unique<Corvida_User::clsCurrentUser>();
    if (className.compare(QLatin1String("Scripting.FileSystemObject"), Qt::CaseInsensitive) == 0)
        return std::make_unique<Scripting::FileSystemObject>();
    throw PharvelError(ErrorNumber::ComponentNotFound,
                       QStringLiteral("ActiveX component can't create object: %1").arg(className),
                       QStringLiteral("CreateObject"));
}
