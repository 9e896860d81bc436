#include "assign/NewChildKeys.h"

#include "app/mdlPharvel.h"
#include "platform/catalog/Pharvel.h"

#include <utility>

NewChildKeys::NewChildKeys(ClassPharvel::Pharvel& pharvel, QString parentKey)
    : m_pharvel(pharvel), m_parentKey(std::move(parentKey))
{}

QString NewChildKeys::Next(qint16 intCount)
{
    if (!m_childrenRead) {
        RowSet children = m_pharvel.LoadClassifications(m_parentKey, false);
        for (; !children.AtEnd(); children.MoveNext())
            m_taken.insert(children.Text(QStringLiteral("Node_Key")));
        m_childrenRead = true;
    }
    return mdlPharvel::NextNodeKey(m_parentKey, intCount,
                                   [this](const QString& key) { return Exists(key); });
}

bool NewChildKeys::Exists(const QString& key)
{
    if (m_taken.contains(key))
        return true;
    if (!m_pharvel.NodePharvel().SearchNode(key))
        return false;
    m_taken.insert(key);
    return true;
}
