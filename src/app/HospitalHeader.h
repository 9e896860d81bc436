#pragma once

#include <QString>

// The hospital's header as the main window reads it once at load: the report viewer prints the
// company and the first address line. Empty when the hospital table holds no row.
struct HospitalHeader
{
    QString strClientName;
    QString strCompany;
    QString strAddress1;
};
