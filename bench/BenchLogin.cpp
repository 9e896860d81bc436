#include "BenchLogin.h"

#include "app/mdlPharvel.h"
#include "catalogue/frmPharvel.h"
#include "platform/catalog/Pharvel.h"
#include "platform/user/AccountStore.h"
#include "platform/user/clsCurrentUser.h"

#include <QCoreApplication>
#include <stdexcept>

BenchMainWindow::BenchMainWindow(const QString& target, const QString& userId,
                                 const QString& password)
{
    mdlPharvel::objPharvel = std::make_unique<ClassPharvel::Pharvel>();
    mdlPharvel::objCurrentUser = std::make_unique<Corvida_User::clsCurrentUser>();
    mdlPharvel::objCurrentUser->SetPasswordDeptCode(AccountStore::kPharmacyDeptCode);
    mdlPharvel::objCurrentUser->Login(target, userId, password);
    if (!mdlPharvel::objPharvel->Connect(mdlPharvel::objCurrentUser->connectionstr()))
        throw std::runtime_error(qPrintable(mdlPharvel::objPharvel->LastError()));
    m_window = std::make_unique<frmPharvel>();
    m_window->Form_Load();
    m_window->show();
    QCoreApplication::processEvents();
}

BenchMainWindow::~BenchMainWindow()
{
    m_window.reset();
    mdlPharvel::ReleaseComponents();
}

SQLConnection& BenchMainWindow::Connection() const
{
    return *mdlPharvel::objCurrentUser->SQLConnection();
}
