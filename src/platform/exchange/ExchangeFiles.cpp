#include "platform/exchange/ExchangeFiles.h"

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
    static const Kind kind{QStringLiteral("classifications.csv"),
                           columns({"classification_id", "name", "parent_id"})};
    return kind;
}

const Kind& GenericNames()
{
    static const Kind kind{QStringLiteral("generic_names.csv"), columns({"generic_code", "name"})};
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

QList<const Kind*> All()
{
    return {&Classifications(), &GenericNames(), &Drugs(), &Filing(), &OtherDetails()};
}

} // namespace ExchangeFiles
