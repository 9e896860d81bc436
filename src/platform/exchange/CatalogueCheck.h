#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

class SQLConnection;

// Checks a catalogue: the rules the database must keep (a broken one is damage to mend), and the
// findings a formulary team wants to clean up (empty classifications, generic names without
// drugs or classification, unfiled drugs, near-duplicate names, review dates passed, ATC codes
// the loaded index lacks, non-formulary names without a formulary alternative, alternatives that
// are not in the formulary). Reads only.
namespace CatalogueCheck {

struct Item
{
    bool brokenRule = false;
    QString check; // what was found, the same text for every item of one check
    QString entry; // "classification", "generic name", "drug", "node", "other details"
    QString id;    // the entry's id, or the node's key
    QString name;
    QString detail;
};

struct Report
{
    QList<Item> items; // broken rules first, then findings, each check in id order

    bool RulesKept() const;
    QString Text() const;
    QByteArray Csv() const;
};

Report Run(SQLConnection& connection);

} // namespace CatalogueCheck
