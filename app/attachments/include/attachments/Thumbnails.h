#pragma once

#include <QHash>
#include <QImage>
#include <QObject>
#include <QSize>

namespace attachments {

// Small pictures of attachments, made by the preview program (its cache
// first), never by decoding outside bytes in this process. Asked by a key of
// the caller's; told through ready() when a picture arrives, with a null
// image when none can be made.
class Thumbnails : public QObject {
    Q_OBJECT
public:
    explicit Thumbnails(QSize size, QObject *parent = nullptr) : QObject(parent), m_size(size) {}

    // The picture of key when there is one already; else a child is started
    // for bytes (once per key) and ready() follows.
    QImage request(const QString &key, const QByteArray &bytes);
    bool has(const QString &key) const { return m_images.contains(key); }
    // What is known of key: its picture, or a null image.
    QImage known(const QString &key) const { return m_images.value(key); }
    // Waits for every child started (tests, printing).
    void waitForAll();
    int pending() const { return m_pending; }

Q_SIGNALS:
    void ready(const QString &key, const QImage &image);

private:
    void take(const QString &key, const QImage &image);

    QSize m_size;
    QHash<QString, QImage> m_images;
    int m_pending = 0;
};

} // namespace attachments
