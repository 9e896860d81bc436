#pragma once

#include <QIcon>
#include <QObject>
#include <QPixmap>
#include <QSize>
#include <QString>
#include <QStringList>

// An image list (`ilsTree`, `ilsCheckList`): pictures of one size, reached by key or by index
// counted from 1, in the order they were added.
class ImageList : public QObject
{
    Q_OBJECT

public:
    explicit ImageList(QSize imageSize, QObject* parent = nullptr);

    QSize ImageSize() const { return m_size; }
    int Count() const { return static_cast<int>(m_pictures.size()); }

    // Adds a picture; a key may be empty (reached by index only). A key already in the list
    // raises PharvelError "Key is not unique in collection".
    void Add(const QString& key, const QPixmap& picture);

    bool Exists(const QString& key) const { return m_keys.contains(key); }
    // A missing key or an index outside 1..Count gives a null picture / icon.
    QPixmap Picture(const QString& key) const;
    QPixmap Picture(int index) const;
    QIcon Icon(const QString& key) const;

private:
    QSize m_size;
    QList<QPixmap> m_pictures;
    QList<QIcon> m_icons;
    QStringList m_keys;
};
