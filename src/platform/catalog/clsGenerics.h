#pragma once

#include "platform/catalog/FilingJournal.h"
#include "platform/db/RowSet.h"

#include <QString>

namespace ClassPharvel {

class CatalogueSession;

// The register of generic names and their filing in the tree. Writes return True when they
// changed the catalogue, False when there was nothing to change; refusals raise PharvelError.
class clsGenerics
{
public:
    explicit clsGenerics(CatalogueSession& session) : m_session(session) {}

    // Files the registered generic name genericCode under the classification node parentKey
    // with newKey; a generic filed elsewhere moves, in one transaction. Refused while its old
    // node holds drugs in the database. name is not used: the register keeps the name.
    bool AddGeneric(const QString& parentKey, const QString& newKey, const QString& name,
                    double genericCode);
    // True when the generic name has a node; NodeKey() then gives that node's key (empty
    // otherwise).
    bool SearchGeneric(double genericCode);
    const QString& NodeKey() const { return m_read.key; }
    // Takes the generic name out of its classification (its node goes); refused while the node
    // holds drugs in the database.
    bool DeleteGeneric(const QString& genericCode);

    // The register, matching search anywhere in the name: columns Code, Generic Name; by name.
    RowSet ListGeneric(const QString& search);
    bool NewGeneric(const QString& name);
    bool RenameGeneric(const QString& genericCode, const QString& newName);

    // Drugs that can be moved into / that are filed under the generic name, matching search in
    // name or description, by name. Columns: drug name, description, generic name
    // ("Unclassified" when none), drug id, node key. filter: 1 all, 2 filed under no generic
    // name, 3 filed under another generic name; any other code shows all. mode (1 and 3 from
    // the window) selects nothing: there is one layout. For a search in ASCII (or none) the
    // rows are read a page at a time as they are first read, through this component, which must
    // outlive the row set; names are then ordered with ASCII letters folded.
    RowSet OtherDrugs(int genericId, int mode, const QString& search, int filter);
    RowSet LoadDrugs(int genericId, int mode, const QString& search);

private:
    CatalogueSession& m_session;
    FiledAsRead m_read;
};

} // namespace ClassPharvel
