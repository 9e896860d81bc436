#pragma once

#include "platform/catalog/FilingJournal.h"

#include <functional>

namespace ClassPharvel::FilingJournal {

// Files the entry (its key, parent, type, id and name) where it now belongs, moving it from its
// old node if it had one (refused as refusal(old) while that node holds others), after checking
// it still stands where the window read it; journaled.
void FileAsRead(SQLConnection& connection, const CatalogueNode& entry, const FiledAsRead& read,
                const std::function<QString(const CatalogueNode&)>& refusal);

// Takes the entry of type and id out of its node, after checking it still stands where the
// window read it (refused as refusal(node) while the node holds others); journaled. False when
// it was filed nowhere.
bool TakeOutAsRead(SQLConnection& connection, const QString& type, int id, const FiledAsRead& read,
                   const std::function<QString(const CatalogueNode&)>& refusal);

// Where the entry of type and id stands now, as a window reads it.
FiledAsRead Where(SQLConnection& connection, const QString& type, int id);

} // namespace ClassPharvel::FilingJournal
