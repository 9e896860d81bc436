#pragma once

#include <QString>

// One account of patient_data.tbUserProfile: who the user is and what they may do.
struct UserProfile
{
    QString userId;
    QString initial;
    QString userRights;   // "BB" may only look; any other code may change the catalogue
    QString deptCode;     // only the department the program names is admitted
    QString passwordHash; // the embedded engine only; a server checks its own passwords
};
