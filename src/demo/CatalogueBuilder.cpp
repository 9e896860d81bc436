#include "demo/CatalogueBuilder.h"

#include "platform/db/AlternativeStore.h"
#include "platform/db/CatalogueTypes.h"
#include "platform/db/ClassificationStore.h"
#include "platform/db/DrugStore.h"
#include "platform/db/FormularyStore.h"
#include "platform/db/GenericStore.h"
#include "platform/db/HospitalStore.h"
#include "platform/db/IdSequences.h"
#include "platform/db/ReferenceCodeStore.h"
#include "platform/db/SQLConnection.h"

CatalogueBuilder::CatalogueBuilder(SQLConnection& connection)
    : m_connection(connection),
      m_classifications(connection, ClassificationStore::kTable, ClassificationStore::Columns()),
      m_generics(connection, GenericStore::kTable, GenericStore::Columns()),
      m_drugs(connection, DrugStore::kTable, DrugStore::Columns()),
      m_nodes(connection, QStringLiteral("inventory.tbPharvel"),
              {QStringLiteral("Node_Key"), QStringLiteral("Node_Parent"),
               QStringLiteral("Node_Type"), QStringLiteral("Node_ID")}),
      m_details(connection, QStringLiteral("inventory.tbPharvelOtherDetails"),
                {QStringLiteral("GenericID"), QStringLiteral("OtherDetails")})
{
    // Continue after what the database holds already.
    m_nextClassification = ClassificationStore::HighestId(connection) + 1;
    m_nextGeneric = GenericStore::HighestId(connection) + 1;
    m_nextDrug = DrugStore::HighestId(connection) + 1;
    const RowSet counts = connection.OpenRowSet(QStringLiteral(
        "SELECT Node_Parent, count(*) FROM inventory.tbPharvel WHERE Node_Parent IS NOT "
        "NULL GROUP BY Node_Parent"));
    for (int row = 0; row < counts.RecordCount(); ++row)
        m_childCount.insert(counts.At(row, 0).toString(), counts.At(row, 1).toInt());
}

QString CatalogueBuilder::NewKey(const QString& parentKey)
{
    const int number = ++m_childCount[parentKey];
    if (parentKey == kRootKey)
        return QStringLiteral("_%1").arg(number);
    return QStringLiteral("%1.%2").arg(parentKey).arg(number);
}

QString CatalogueBuilder::AddClassification(const QString& parentKey, const QString& name)
{
    const int id = m_nextClassification++;
    m_classifications.Add(ClassificationStore::Values({id, name}));
    const QString key = NewKey(parentKey);
    m_nodes.Add({key, parentKey, NodeType::Classification, id});
    return key;
}

int CatalogueBuilder::AddGeneric(const QString& name)
{
    const int code = m_nextGeneric++;
    m_generics.Add(GenericStore::Values({code, name}));
    return code;
}

QString CatalogueBuilder::FileGeneric(const QString& parentKey, int genericCode)
{
    const QString key = NewKey(parentKey);
    m_nodes.Add({key, parentKey, NodeType::Generic, genericCode});
    return key;
}

int CatalogueBuilder::AddDrug(const QString& name, const QString& description,
                              const QString& indication, const QString& dosage,
                              const QString& administration, const QString& preparation)
{
    const int id = m_nextDrug++;
    // The description may be empty but not missing (a null text would be bound as NULL).
    m_drugs.Add(DrugStore::Values({id,
                                   {name, description.isNull() ? QStringLiteral("") : description,
                                    indication, dosage, administration, preparation}}));
    return id;
}

QString CatalogueBuilder::FileDrug(const QString& genericKey, int itemId)
{
    const QString key = NewKey(genericKey);
    m_nodes.Add({key, genericKey, NodeType::Drug, itemId});
    return key;
}

void CatalogueBuilder::AddOtherDetails(int genericCode, const QString& text)
{
    m_details.Add({genericCode, text});
}

void CatalogueBuilder::AddFormulary(const FormularyRecord& record)
{
    m_formulary << record;
}

void CatalogueBuilder::SetHospital(const QString& clientName, const QString& company,
                                   const QString& address)
{
    HospitalStore::Replace(m_connection, {0, clientName, company, address});
}

// Parents are written before the rows that refer to them: classifications, generic names and
// drugs first, then the nodes (parents were added before their children), then other details
// and the formulary.
// The ids were our own, so the server's id generators are moved on past them.
void CatalogueBuilder::Finish()
{
    m_classifications.Flush();
    m_generics.Flush();
    m_drugs.Flush();
    m_nodes.Flush();
    m_details.Flush();
    QList<FormularyRecord> decided;
    for (const FormularyRecord& record : std::as_const(m_formulary))
        if (record.HasDecision())
            decided << record;
    FormularyStore::InsertAll(m_connection, decided);
    ReferenceCodeStore::InsertAll(m_connection, m_formulary);
    AlternativeStore::InsertAll(m_connection, m_formulary);
    IdSequences::Advance(m_connection);
}
