#include "platform/exchange/ExchangeFiles.h"

#include "platform/db/ClassificationStore.h"
#include "platform/db/GenericStore.h"

namespace ExchangeFiles {

namespace {
QStringList columns(std::initializer_list<const char*> names)
{
    QStringList list;
    for (const char* name : names)
        list << QString::fromLatin1(name);
    return list;
}
} // namespace

const Kind& Classifications()
{
    // The record's fields, then where it stands.
    static const Kind kind{QStringLiteral("classifications.csv"),
                           ClassificationStore::FileHeader() << QStringLiteral("parent_id")};
    return kind;
}

const Kind& GenericNames()
{
    static const Kind kind{QStringLiteral("generic_names.csv"), GenericStore::FileHeader()};
    return kind;
}

const Kind& Drugs()
{
    static const Kind kind{QStringLiteral("drugs.csv"),
                           columns({"item_id", "name", "description", "indication", "dosage",
                                    "administration", "preparation"})};
    return kind;
}

const Kind& Filing()
{
    static const Kind kind{QStringLiteral("filing.csv"), columns({"entry", "id", "filed_under"})};
    return kind;
}

const Kind& OtherDetails()
{
    static const Kind kind{QStringLiteral("other_details.csv"),
                           columns({"generic_code", "other_details"})};
    return kind;
}

const Kind& Formulary()
{
    static const Kind kind{QStringLiteral("formulary.csv"),
                           columns({"generic_code", "status", "restriction", "decided_on",
                                    "decision_ref", "review_on", "ven"})};
    return kind;
}

const Kind& ReferenceCodes()
{
    static const Kind kind{QStringLiteral("reference_codes.csv"),
                           columns({"generic_code", "code_system", "code"})};
    return kind;
}

const Kind& Alternatives()
{
    static const Kind kind{QStringLiteral("alternatives.csv"),
                           columns({"generic_code", "alternative_code", "kind", "note"})};
    return kind;
}

const Kind& AtcIndex()
{
    static const Kind kind{QStringLiteral("atc_index.csv"),
                           columns({"code", "name", "ddd", "unit", "route", "note"})};
    return kind;
}

QList<const Kind*> All()
{
    return {&Classifications(), &GenericNames(), &Drugs(),          &Filing(),
            &OtherDetails(),    &Formulary(),    &ReferenceCodes(), &Alternatives()};
}

} // namespace ExchangeFiles
