#include "platform/exchange/CatalogueState.h"

#include "platform/db/SQLConnection.h"

#include <QHash>

namespace {
// The text of a column as stored: NULL stays a null text, an empty text stays empty.
QString storedText(const QVariant& value)
{
    if (value.isNull())
        return {};
    const QString text = value.toString();
    return text.isNull() ? QStringLiteral("") : text;
}
} // namespace

CatalogueState CatalogueState::Read(SQLConnection& connection)
{
    CatalogueState state;
    const RowSet classifications = connection.OpenRowSet(QStringLiteral(
        "SELECT ClassificationID, ClassificationName FROM inventory.tbForClassification"));
    for (int r = 0; r < classifications.RecordCount(); ++r)
        state.classifications.insert(classifications.At(r, 0).toInt(),
                                     storedText(classifications.At(r, 1)));
    const RowSet generics = connection.OpenRowSet(
        QStringLiteral("SELECT GenericCode, genericname FROM inventory.tbforgeneric"));
    for (int r = 0; r < generics.RecordCount(); ++r)
        state.generics.insert(generics.At(r, 0).toInt(), storedText(generics.At(r, 1)));
    const RowSet drugs = connection.OpenRowSet(
        QStringLiteral("SELECT itemid, DrugName, Description, Indication, Dosage, "
                       "Administration, Preparation FROM inventory.tbinvmaster"));
    for (int r = 0; r < drugs.RecordCount(); ++r) {
        DrugFields fields;
        for (int f = 0; f < 6; ++f)
            fields[static_cast<size_t>(f)] = storedText(drugs.At(r, f + 1));
        state.drugs.insert(drugs.At(r, 0).toInt(), fields);
    }
    const RowSet details = connection.OpenRowSet(
        QStringLiteral("SELECT GenericID, OtherDetails FROM inventory.tbPharvelOtherDetails"));
    for (int r = 0; r < details.RecordCount(); ++r)
        state.otherDetails.insert(details.At(r, 0).toInt(), storedText(details.At(r, 1)));
    const RowSet nodes = connection.OpenRowSet(QStringLiteral(
        "SELECT Node_Key, Node_Parent, Node_Type, Node_ID FROM inventory.tbPharvel"));
    state.nodes.reserve(static_cast<size_t>(nodes.RecordCount()));
    for (int r = 0; r < nodes.RecordCount(); ++r)
        state.nodes.push_back({nodes.At(r, 0).toString(), storedText(nodes.At(r, 1)),
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
        if (node.type == QLatin1String("1") &&
            (parent->type == QLatin1String("0") || parent->type == QLatin1String("1")))
            filing.classificationParent.insert(node.id, parent->id);
        else if (node.type == QLatin1String("2") && parent->type == QLatin1String("1"))
            filing.genericUnder.insert(node.id, parent->id);
        else if (node.type == QLatin1String("3") && parent->type == QLatin1String("2"))
            filing.drugUnder.insert(node.id, parent->id);
    }
    return filing;
}
