#include "platform/db/IdSequences.h"

#include "platform/db/ClassificationStore.h"
#include "platform/db/DrugStore.h"
#include "platform/db/GenericStore.h"
#include "platform/db/HospitalStore.h"

namespace IdSequences {

void Advance(SQLConnection& connection)
{
    ClassificationStore::AdvanceIdentity(connection);
    GenericStore::AdvanceIdentity(connection);
    DrugStore::AdvanceIdentity(connection);
    HospitalStore::AdvanceIdentity(connection);
}

} // namespace IdSequences
