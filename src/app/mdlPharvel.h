#pragma once

#include "app/HospitalHeader.h"

#include <QPointer>
#include <QString>
#include <functional>
#include <memory>

namespace ClassPharvel {
class Pharvel;
}
namespace Corvida_User {
class clsCurrentUser;
}
namespace Scripting {
class FileSystemObject;
}
class frmPharvel;

// The run-wide module: the state that lives for the whole run (the start-up procedure that makes
// it is in StartUp.h).
namespace mdlPharvel {

// The objects of the run. The two components are empty before the start-up and again after the
// main window unloads; the file-system object lives until the process ends.
extern std::unique_ptr<ClassPharvel::Pharvel> objPharvel;
extern std::unique_ptr<Corvida_User::clsCurrentUser> objCurrentUser;
extern std::unique_ptr<Scripting::FileSystemObject> objFileSystem;
extern QPointer<frmPharvel> MainWindow;

// When set, the next tree load shows no progress window; every load clears it.
extern bool blnQuietLoad;
extern HospitalHeader Hospital;

// Releases the current-user and the catalogue component, as the main window's unload and a
// failed start-up do.
void ReleaseComponents();

// The first free key for a new child of strParentKey, asked of the catalogue component from the
// number intCount downwards and then upwards from 1, so a gap left by a deleted child is used
// again before a new highest number is taken. A number beyond 32767 is an Overflow error.
QString NextNodeKey(const QString& strParentKey, qint16 intCount);
// The same search, asking nodeExists instead of the catalogue component.
QString NextNodeKey(const QString& strParentKey, qint16 intCount,
                    const std::function<bool(const QString&)>& nodeExists);

// The tree picture of a node type: "bookclose", "capsule", "tablet"; "" for any other type.
QString NodeImageKey(const QString& strNodeType);

} // namespace mdlPharvel
