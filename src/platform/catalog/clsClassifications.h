#pragma once

#include "platform/db/RowSet.h"

#include <QString>

namespace ClassPharvel {

class CatalogueSession;

// Classifications and the generic names filed under them. A write returns True when it changed
// the catalogue and False when there was nothing to change (no node with that key); a refused
// write raises PharvelError (see Pharvel).
class clsClassifications
{
public:
    explicit clsClassifications(CatalogueSession& session) : m_session(session) {}

    // Creates a classification named name and files it under parentKey (the root or a
    // classification) with newKey. itemCode is not used: the classification gets a new id.
    bool AddClassification(const QString& parentKey, const QString& newKey, const QString& name,
                           int itemCode);
    // Removes the classification's node and the classification; refused while its node holds
    // any node in the database.
    bool DeleteClassification(const QString& nodeKey);
    bool RenameClassification(const QString& nodeKey, const QString& newName);

    // Generic names not under / under the classification whose id is given, matching search
    // (case-insensitive, anywhere in the name). Five columns: name, node key, generic code,
    // classification id, the classification it is under or "no classification"; ordered by
    // name. The window passes 1 as mode; there is one layout, so it selects nothing.
    RowSet OtherGenerics(int classificationId, int mode, const QString& search);
    RowSet LoadGenerics(int classificationId, int mode, const QString& search);

private:
    CatalogueSession& m_session;
};

} // namespace ClassPharvel
