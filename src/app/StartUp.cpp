#include "app/StartUp.h"

#include "app/frmSplash.h"
#include "app/mdlPharvel.h"
#include "catalogue/frmPharvel.h"
#include "platform/ComponentFactory.h"
#include "platform/FileSystemObject.h"
#include "platform/catalog/Pharvel.h"
#include "platform/db/SQLConnection.h"
#include "platform/user/AccountStore.h"
#include "platform/user/clsCurrentUser.h"
#include "platform/widgets/ErrorHandler.h"
#include "platform/widgets/MsgBox.h"
#include "platform/widgets/PlainLook.h"

#include <QCoreApplication>

namespace mdlPharvel {

namespace {

// A statement may run this long before the server gives up on it: the report preparation and a
// full tree load on a large catalogue take well over the driver's default.
constexpr int kCommandTimeoutSeconds = 240;

// Login, connection and the main window. Returns normally also when the connection cannot be
// made (after saying so); an error on the way leaves as an exception.
void StartUp()
{
    objPharvel = CreateObjectAs<ClassPharvel::Pharvel>(QStringLiteral("ClassPharvel.Pharvel"));
    objCurrentUser =
        CreateObjectAs<Corvida_User::clsCurrentUser>(QStringLiteral("Corvida_User.clsCurrentUser"));
    objFileSystem =
        CreateObjectAs<Scripting::FileSystemObject>(QStringLiteral("Scripting.FileSystemObject"));

    objCurrentUser->SetPasswordDeptCode(AccountStore::kPharmacyDeptCode);
    objCurrentUser->ShowMain();
    blnQuietLoad = false;

    // The splash is painted before the connection attempt, which does not yield again.
    auto splash = std::make_unique<frmSplash>();
    splash->show();
    splash->repaint();
    QCoreApplication::processEvents();

    bool connected = false;
    if (objCurrentUser->Connected()) {
        objCurrentUser->SQLConnection()->SetCommandTimeout(kCommandTimeoutSeconds);
        connected = objPharvel->Connect(objCurrentUser->connectionstr());
    }

    if (!connected) {
        splash.reset();
        MsgBox::Show(
            QCoreApplication::translate("mdlPharvel", "Program was unable to connect to server."),
            MsgBox::Icon::Critical, MsgBox::Buttons::OK);
        ReleaseComponents();
        return;
    }

    // The window is the run's main window from the start of its load (what the load opens
    // refers to it), and shown only once the load, with the first fill of the tree, has
    // completed. A load that fails takes the window with it.
    auto window = std::make_unique<frmPharvel>();
    MainWindow = window.get();
    window->Form_Load();
    window.release();
    splash.reset();
    MainWindow->show();
}

} // namespace

void Main()
{
    // Every window of the run, the login first, has the same plain buttons.
    PlainLook::Apply();
    bool failed = true;
    Guarded([&failed] {
        StartUp();
        failed = false;
    });
    if (failed)
        ReleaseComponents();
}

} // namespace mdlPharvel
