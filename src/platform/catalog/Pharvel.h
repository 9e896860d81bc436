#pragma once

#include "platform/catalog/clsClassifications.h"
#include "platform/catalog/clsDrugs.h"
#include "platform/catalog/clsFormulary.h"
#include "platform/catalog/clsGenerics.h"
#include "platform/catalog/clsNode.h"
#include "platform/db/RowSet.h"

#include <QObject>
#include <QString>
#include <memory>

class SQLConnection;

namespace ClassPharvel {

class CatalogueSession;

// The catalogue component ("ClassPharvel.Pharvel"): reads and writes the catalogue tree on its
// own connection, opened by Connect with the logged-in user's connection string. It keeps one
// current node (moved by every successful NodePharvel().SearchNode) and one current generic name
// and drug (moved by Generics().SearchGeneric and Drugs().SearchDrug).
//
// Every write runs in one transaction and is refused, with a PharvelError whose source names
// the member ("Pharvel.AddGeneric"): NotPermitted when the user may only look (see
// CatalogueSession), Refused when it would break the catalogue (a node left without its
// parent, a node under a parent of the wrong kind, an entry that is not registered),
// ConstraintViolated when another user took the key at the same moment. Ids beyond 16 bits
// raise Overflow, fractions and texts that are no number TypeMismatch.
class Pharvel : public QObject
{
    Q_OBJECT

public:
    explicit Pharvel(QObject* parent = nullptr);
    ~Pharvel() override;

    // True when connected. A failure to connect returns False (never raises) and leaves the
    // component unconnected; the reason is in LastError().
    bool Connect(const QString& connectionString);
    bool IsConnected() const;
    QString LastError() const;

    // The children of parentKey in tree order (each node right after its parent; under one
    // parent classifications, then generic names, then drugs, each by name with letter case
    // ignored); every level below it when loadAll is set. Columns: node_type, ClassificationName,
    // GenericName, DrugName, ItemID, Node_Parent, Node_Key, Node_ID (the entry's id).
    RowSet LoadClassifications(const QString& parentKey, bool loadAll);

    // Why a window's move of the entry (node type and id) is refused when another user filed,
    // moved or took it out after the window read it: who did, where to and when.
    QString ChangedMeanwhile(const QString& nodeType, int id);

    clsNode& NodePharvel();
    clsClassifications& Classifications();
    clsGenerics& Generics();
    clsDrugs& Drugs();
    clsFormulary& Formulary();

    // The component's connection, for the administrator's tool and tests.
    SQLConnection& Connection();

private:
    std::unique_ptr<CatalogueSession> m_session;
    std::unique_ptr<clsNode> m_node;
    std::unique_ptr<clsClassifications> m_classifications;
    std::unique_ptr<clsGenerics> m_generics;
    std::unique_ptr<clsDrugs> m_drugs;
    std::unique_ptr<clsFormulary> m_formulary;
    QString m_lastError;
};

} // namespace ClassPharvel
