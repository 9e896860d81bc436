#include "platform/exchange/CatalogueState.h"

#include "platform/db/AtcIndexStore.h"
#include "platform/db/CatalogueTypes.h"
#include "platform/db/Formulary.h"
#include "platform/db/SQLConnection.h"
#include "platform/db/StoredText.h"

#include <QHash>

CatalogueState CatalogueState::Read(SQLConnection& connection)
{
    CatalogueState state;
    state.classifications = ClassificationStore::All(connection);
    state.generics = GenericStore::All(connection);
    state.drugs = DrugStore::All(connection);
    const RowSet details = connection.OpenRowSet(
        QStringLiteral("SELECT GenericID, OtherDetails FROM inventory.tbPharvelOtherDetails"));
    for (int r = 0; r < details.RecordCount(); ++r)
        state.otherDetails.insert(details.At(r, 0).toInt(), StoredText(details.At(r, 1)));
    state.formulary = Formulary::ReadAll(connection);
    for (const AtcIndexEntry& entry : AtcIndexStore::All(connection))
        state.atcIndexCodes.insert(entry.code);
    const RowSet nodes = connection.OpenRowSet(QStringLiteral(
        "SELECT Node_Key, Node_Parent, Node_Type, Node_ID FROM inventory.tbPharvel"));
    state.nodes.reserve(static_cast<size_t>(nodes.RecordCount()));
    for (int r = 0; r < nodes.RecordCount(); ++r)
        state.nodes.push_back({nodes.At(r, 0).toString(), StoredText(nodes.At(r, 1)),
                               nodes.At(r, 2).toString().trimmed(), nodes.At(r, 3).toInt()});
    return state;
}

QString CatalogueFiling::EntryKey(const QString& type, int id)
{
    return type + QLatin1Char(':') + QString::number(id);
}

CatalogueFiling CatalogueFiling::Of(const CatalogueState& state)
{
    QHash<QString, const CatalogueState::Node*> byKey;
    for (const CatalogueState::Node& node : state.nodes)
        byKey.insert(node.key, &node);
    CatalogueFiling filing;
    for (const CatalogueState::Node& node : state.nodes) {
        const CatalogueState::Node* parent = byKey.value(node.parent);
        if (parent == nullptr)
            continue;
        filing.keyOf.insert(EntryKey(node.type, node.id), node.key);
        if (node.type == NodeType::Classification &&
            (parent->type == NodeType::Root || parent->type == NodeType::Classification))
            filing.classificationParent.insert(node.id, parent->id);
        else if (node.type == NodeType::Generic && parent->type == NodeType::Classification)
            filing.genericUnder.insert(node.id, parent->id);
        else if (node.type == NodeType::Drug && parent->type == NodeType::Generic)
            filing.drugUnder.insert(node.id, parent->id);
    }
    return filing;
}
