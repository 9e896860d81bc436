#pragma once

#include "platform/db/RowSet.h"

#include <QString>

namespace ClassPharvel {

class CatalogueSession;

// The register of generic names and their filing in the tree.
class clsGenerics
{
public:
    explicit clsGenerics(CatalogueSession& session) : m_session(session) {}

    // Files the generic name under parentKey with newKey; a generic filed elsewhere moves, in one
    // transaction. Refused while its old node holds drugs in the database.
    bool AddGeneric(const QString& parentKey, const QString& newKey, const QString& name,
                    double genericCode);
    // True when the generic name has a node; NodeKey() then gives that node's key.
    bool SearchGeneric(double genericCode);
    const QString& NodeKey() const { return m_nodeKey; }
    // Takes the generic name out of its classification (its node goes); refused while the node
    // holds drugs in the database.
    bool DeleteGeneric(const QString& genericCode);

    // The register, matching search anywhere in the name: columns Code, Generic Name.
    RowSet ListGeneric(const QString& search);
    bool NewGeneric(const QString& name);
    bool RenameGeneric(const QString& genericCode, const QString& newName);

    // Drugs that can be moved into / that are filed under the generic name, matching search in
    // name or description. Columns: drug name, description, generic name ("Unclassified" when
    // none), drug id, node key. filter: 1 all, 2 filed under no generic name, 3 filed under
    // another generic name.
    RowSet OtherDrugs(int genericId, int mode, const QString& search, int filter);
    RowSet LoadDrugs(int genericId, int mode, const QString& search);

private:
    CatalogueSession& m_session;
    QString m_nodeKey;
};

} // namespace ClassPharvel
