#pragma once

#include "platform/db/RowSet.h"

#include <QString>

namespace ClassPharvel {

class CatalogueSession;

// Classifications and the generic names filed under them.
class clsClassifications
{
public:
    explicit clsClassifications(CatalogueSession& session) : m_session(session) {}

    // Creates a classification named name and files it under parentKey with newKey.
    bool AddClassification(const QString& parentKey, const QString& newKey, const QString& name,
                           int itemCode);
    // Removes the classification's node and the classification; refused while its node holds
    // any node in the database.
    bool DeleteClassification(const QString& nodeKey);
    bool RenameClassification(const QString& nodeKey, const QString& newName);

    // Generic names not under / under the classification whose id is given, matching search
    // (case-insensitive, anywhere in the name). Five columns: name, node key, generic code,
    // classification id, the classification it is under or "no classification".
    RowSet OtherGenerics(int classificationId, int mode, const QString& search);
    RowSet LoadGenerics(int classificationId, int mode, const QString& search);

private:
    CatalogueSession& m_session;
};

} // namespace ClassPharvel
