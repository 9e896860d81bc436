#pragma once

#include "platform/db/CatalogueTypes.h"
#include "platform/db/RowSet.h"

#include <QString>
#include <optional>

class SQLConnection;

namespace ClassPharvel {

class CatalogueSession;
class clsNode;

// Classifications and the generic names filed under them. A write returns True when it changed
// the catalogue and False when there was nothing to change (no node with that key); a refused
// write raises PharvelError (see Pharvel).
class clsClassifications
{
public:
    // current: the component's current node, which a rename checks against what it read.
    clsClassifications(CatalogueSession& session, clsNode& current)
        : m_session(session), m_current(current)
    {}

    // Creates a classification named name and files it under parentKey (the root or a
    // classification) with newKey. itemCode is not used: the classification gets a new id.
    bool AddClassification(const QString& parentKey, const QString& newKey, const QString& name,
                           int itemCode);
    // Removes the classification's node and the classification; refused while its node holds
    // any node in the database.
    bool DeleteClassification(const QString& nodeKey);
    // When nodeKey is the current node, the rename is refused if another user renamed or
    // deleted the classification since the window read it.
    bool RenameClassification(const QString& nodeKey, const QString& newName);

    // Generic names not under / under the classification whose id is given, matching search
    // (case-insensitive, anywhere in the name). Five columns: name, node key, generic code,
    // classification id, the classification it is under or "no classification"; ordered by
    // name. The window passes 1 as mode; there is one layout, so it selects nothing.
    RowSet OtherGenerics(int classificationId, int mode, const QString& search);
    RowSet LoadGenerics(int classificationId, int mode, const QString& search);

private:
    void RequireAsRead(SQLConnection& connection, const QString& nodeKey,
                       const std::optional<CatalogueNode>& node) const;

    CatalogueSession& m_session;
    clsNode& m_current;
};

} // namespace ClassPharvel
