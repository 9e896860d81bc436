#include "platform/ComponentFactory.h"

#include "platform/FileSystemObject.h"
#include "platform/catalog/Pharvel.h"
#include "platform/user/clsCurrentUser.h"

#include <QCoreApplication>
#include <functional>
#include <utility>

namespace {

using Creator = std::function<std::unique_ptr<QObject>()>;

template <class T> std::pair<QString, Creator> component(const char* className)
{
    return {QString::fromLatin1(className).toLower(), [] { return std::make_unique<T>(); }};
}

// Class names are matched without regard to letter case, as the system's registry matches them.
const std::vector<std::pair<QString, Creator>>& registry()
{
    static const std::vector<std::pair<QString, Creator>> components{
        component<ClassPharvel::Pharvel>("ClassPharvel.Pharvel"),
        component<Corvida_User::clsCurrentUser>("Corvida_User.clsCurrentUser"),
        component<Scripting::FileSystemObject>("Scripting.FileSystemObject"),
    };
    return components;
}

} // namespace

std::unique_ptr<QObject> CreateObject(const QString& className)
{
    const QString wanted = className.trimmed().toLower();
    for (const auto& [name, create] : registry()) {
        if (name == wanted)
            return create();
    }
    throw PharvelError(
        ErrorNumber::ComponentNotFound,
        QCoreApplication::translate("CreateObject", "ActiveX component can't create object: %1")
            .arg(className),
        QStringLiteral("CreateObject"));
}
