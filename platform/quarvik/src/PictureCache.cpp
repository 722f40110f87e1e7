#include "PictureCache.h"

namespace quarvik {
namespace {
qint64 area(const QSize &s) { return qint64(s.width()) * s.height(); }
} // namespace

bool PictureCache::open(const QString &path)
{
    clear();
    PictureReader reader(path);
    if (!reader.probe()) {
        m_error = reader.errorString();
        return false;
    }
    m_reader.emplace(std::move(reader));
    return true;
}

void PictureCache::clear()
{
    m_reader.reset();
    m_image = QImage();
    m_error.clear();
    m_failed = false;
}

QSize PictureCache::uprightSize() const { return m_reader ? m_reader->uprightSize() : QSize(); }

const QImage &PictureCache::imageFor(const QSize &needed)
{
    if (!m_reader || needed.isEmpty() || m_failed)
        return m_image;
    const bool tooSmall = m_image.isNull() || m_image.width() < needed.width() || m_image.height() < needed.height();
    const bool wasteful = area(m_image.size()) > 4 * area(needed);
    if (tooSmall || wasteful) {
        m_image = QImage(); // the old copy goes before the new one is made
        m_image = m_reader->read(needed);
        if (m_image.isNull()) { // not tried again on every paint
            m_error = m_reader->errorString();
            m_failed = true;
        }
    }
    return m_image;
}

void PictureCache::releaseAbove(const QSize &keep)
{
    if (m_image.width() > keep.width() || m_image.height() > keep.height())
        m_image = QImage();
}

QImage PictureCache::full()
{
    if (!m_reader)
        return {};
    if (m_image.size() == m_reader->uprightSize())
        return m_image;
    return m_reader->read();
}

QImage PictureCache::scaled(const QSize &bound)
{
    if (!m_reader || !bound.isValid() || bound.isEmpty())
        return full();
    const QSize upright = m_reader->uprightSize();
    QSize target = upright.scaled(bound, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
    if (target.width() >= upright.width())
        target = upright;
    if (m_image.size() == target)
        return m_image;
    if (m_image.width() >= target.width() && m_image.height() >= target.height()) {
        // As large on paper as the picture it was made from.
        QImage smaller = m_image.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        keepPaperSize(smaller, m_image.size());
        return smaller;
    }
    return m_reader->read(target);
}

} // namespace quarvik
