#include "BenchLogin.h"

#include "app/mdlPharvel.h"
#include "platform/catalog/Pharvel.h"
#include "platform/user/AccountStore.h"
#include "platform/user/clsCurrentUser.h"

#include <stdexcept>

void BenchLogIn(const QString& target, const QString& userId, const QString& password)
{
    mdlPharvel::objPharvel = std::make_unique<ClassPharvel::Pharvel>();
    mdlPharvel::objCurrentUser = std::make_unique<Corvida_User::clsCurrentUser>();
    mdlPharvel::objCurrentUser->SetPasswordDeptCode(AccountStore::kPharmacyDeptCode);
    mdlPharvel::objCurrentUser->Login(target, userId, password);
    if (!mdlPharvel::objPharvel->Connect(mdlPharvel::objCurrentUser->connectionstr()))
        throw std::runtime_error(qPrintable(mdlPharvel::objPharvel->LastError()));
}
