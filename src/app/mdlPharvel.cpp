#include "app/mdlPharvel.h"

#include "platform/FileSystemObject.h"
#include "platform/catalog/Pharvel.h"
#include "platform/user/clsCurrentUser.h"

namespace mdlPharvel {

std::unique_ptr<ClassPharvel::Pharvel> objPharvel;
std::unique_ptr<Corvida_User::clsCurrentUser> objCurrentUser;
std::unique_ptr<Scripting::FileSystemObject> objFileSystem;
QPointer<frmPharvel> MainWindow;
bool blnQuietLoad = false;
HospitalHeader Hospital;

void ReleaseComponents()
{
    objCurrentUser.reset();
    objPharvel.reset();
}

} // namespace mdlPharvel
