#pragma once

#include <QList>
#include <QString>
#include <optional>

class SQLConnection;

// One entry of the hospital's copy of the WHO ATC/DDD index. The texts are kept as the index
// writes them (the DDD too, so "0.5" stays "0.5"); an empty one is stored as NULL.
struct AtcIndexEntry
{
    QString code;
    QString name;
    QString ddd;
    QString unit;
    QString route;
    QString note;

    bool operator==(const AtcIndexEntry& other) const = default;
};

// The loaded ATC index (inventory.tbAtcIndex). Only the administrator's tool replaces it; on a
// server no pharmacist's role may write it.
namespace AtcIndexStore {

inline constexpr QLatin1String kTable{"inventory.tbAtcIndex"};

std::optional<AtcIndexEntry> Find(SQLConnection& connection, const QString& code);
// Every entry, by code.
QList<AtcIndexEntry> All(SQLConnection& connection);
// Deletes every entry and writes entries. Call inside a transaction.
void Replace(SQLConnection& connection, const QList<AtcIndexEntry>& entries);

} // namespace AtcIndexStore
