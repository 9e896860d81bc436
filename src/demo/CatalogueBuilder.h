#pragma once

#include "platform/db/FormularyRecord.h"
#include "platform/db/PreparedInsert.h"

#include <QHash>
#include <QList>
#include <QString>

class SQLConnection;

// Writes a whole catalogue in one go (the demo and the benchmark catalogues): classifications,
// generic names and drugs with their nodes, each node keyed under its parent as the tree keys
// them ("_3", "_3.2", "_3.2.7"), children numbered from 1. Call Finish() to write what is left.
class CatalogueBuilder
{
public:
    explicit CatalogueBuilder(SQLConnection& connection);

    // Each returns the new node's key (a generic name or drug without a parent gets none).
    QString AddClassification(const QString& parentKey, const QString& name);
    int AddGeneric(const QString& name); // the generic's code, filed nowhere yet
    QString FileGeneric(const QString& parentKey, int genericCode);
    int AddDrug(const QString& name, const QString& description, const QString& indication,
                const QString& dosage, const QString& administration,
                const QString& preparation); // the drug's item id, filed nowhere yet
    QString FileDrug(const QString& genericKey, int itemId);
    void AddOtherDetails(int genericCode, const QString& text);
    // A generic name's formulary (record.generic names it), written with the rest unjournaled,
    // as a catalogue built whole has no history.
    void AddFormulary(const FormularyRecord& record);
    void SetHospital(const QString& clientName, const QString& company, const QString& address);

    void Finish();

private:
    QString NewKey(const QString& parentKey);

    SQLConnection& m_connection;
    PreparedInsert m_classifications;
    PreparedInsert m_generics;
    PreparedInsert m_drugs;
    PreparedInsert m_nodes;
    PreparedInsert m_details;
    QList<FormularyRecord> m_formulary;
    QHash<QString, int> m_childCount;
    int m_nextClassification = 1;
    int m_nextGeneric = 1;
    int m_nextDrug = 1;
};
