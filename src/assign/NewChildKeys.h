#pragma once

#include <QSet>
#include <QString>

namespace ClassPharvel {
class Pharvel;
}

// The keys for the new children that one move files under one parent node, found as
// mdlPharvel::NextNodeKey finds them. The parent's children are read from the catalogue once,
// at the first key asked for; after that a candidate a child was seen to hold is passed over
// without a question, and the catalogue is asked only about the others. So filing a hundred
// drugs under a generic name costs a statement or two a drug, not one for every child above
// the new key's number. A key taken by another user meanwhile is still found taken.
class NewChildKeys
{
public:
    NewChildKeys(ClassPharvel::Pharvel& pharvel, QString parentKey);

    // The first free key for a child, searched from intCount (the parent's number of children
    // in the tree) as NextNodeKey searches.
    QString Next(qint16 intCount);
    // The catalogue has filed a node with this key.
    void Taken(const QString& key) { m_taken.insert(key); }

private:
    bool Exists(const QString& key);

    ClassPharvel::Pharvel& m_pharvel;
    QString m_parentKey;
    QSet<QString> m_taken;
    bool m_childrenRead = false;
};
