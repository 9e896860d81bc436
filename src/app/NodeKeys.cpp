#include "app/mdlPharvel.h"
#include "platform/catalog/Pharvel.h"
#include "platform/db/CatalogueTypes.h"
#include "platform/db/PharvelError.h"

#include <QCoreApplication>
#include <algorithm>
#include <limits>

namespace mdlPharvel {

QString NextNodeKey(const QString& strParentKey, qint16 intCount,
                    const std::function<bool(const QString&)>& nodeExists)
{
    const QString body = strParentKey.mid(1);
    const QString prefix = body == QLatin1String("0")
                               ? QStringLiteral("_")
                               : QLatin1Char('_') + body.trimmed() + QLatin1Char('.');
    constexpr int kHighest = std::numeric_limits<qint16>::max();

    // A negative count would make keys no node can have; the search then starts upwards at 1.
    int counter = std::max<int>(intCount, 0);
    bool upward = false;
    for (;;) {
        if (upward)
            ++counter;
        else if (counter > 0)
            --counter;
        else
            upward = true;

        if (counter >= kHighest) {
            throw PharvelError(ErrorNumber::Overflow,
                               QCoreApplication::translate(
                                   "mdlPharvel", "Node %1 has no free key: every number up to "
                                                 "%2 is taken.")
                                   .arg(strParentKey)
                                   .arg(kHighest),
                               QStringLiteral("mdlPharvel.NextNodeKey"));
        }
        const QString candidate = prefix + QString::number(counter + 1);
        if (!nodeExists(candidate))
            return candidate;
    }
}

QString NextNodeKey(const QString& strParentKey, qint16 intCount)
{
    ClassPharvel::clsNode& node = objPharvel->NodePharvel();
    return NextNodeKey(strParentKey, intCount,
                       [&node](const QString& candidate) { return node.SearchNode(candidate); });
}

QString NodeImageKey(const QString& strNodeType)
{
    using namespace ClassPharvel;
    if (strNodeType == NodeType::Classification)
        return QStringLiteral("bookclose");
    if (strNodeType == NodeType::Generic)
        return QStringLiteral("capsule");
    if (strNodeType == NodeType::Drug)
        return QStringLiteral("tablet");
    return {};
}

} // namespace mdlPharvel
