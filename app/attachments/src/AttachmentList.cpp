#include "attachments/AttachmentList.h"

#include <QFile>

#include <algorithm>

namespace attachments {

AttachmentList::~AttachmentList() { dropFiles(); }

void AttachmentList::dropFiles()
{
    for (const QString &file : m_files)
        QFile::remove(file);
    m_files.clear();
}

void AttachmentList::reset(std::vector<CaseAttachment> stored)
{
    dropFiles();
    m_items = std::move(stored);
    m_storedOrder.clear();
    for (const CaseAttachment &item : m_items)
        m_storedOrder.push_back(item.objectId);
}

void AttachmentList::append(CaseAttachment item)
{
    if (!item.file.isEmpty())
        m_files.push_back(item.file);
    m_items.push_back(std::move(item));
}

void AttachmentList::remove(int index)
{
    if (index >= 0 && index < count())
        m_items.erase(m_items.begin() + index);
}

void AttachmentList::move(int from, int to)
{
    if (from < 0 || from >= count() || to < 0 || to >= count() || from == to)
        return;
    CaseAttachment item = std::move(m_items[size_t(from)]);
    m_items.erase(m_items.begin() + from);
    m_items.insert(m_items.begin() + to, std::move(item));
}

void AttachmentList::arrange(const std::vector<int> &order)
{
    std::vector<int> seen(order);
    std::sort(seen.begin(), seen.end());
    for (size_t i = 0; i < seen.size(); ++i) {
        if (seen[i] != int(i))
            return;
    }
    if (seen.size() != m_items.size())
        return;
    std::vector<CaseAttachment> arranged;
    arranged.reserve(m_items.size());
    for (int from : order)
        arranged.push_back(std::move(m_items[size_t(from)]));
    m_items = std::move(arranged);
}

void AttachmentList::annotate(int index, const QString &file, const QString &script, const QByteArray &overlay)
{
    if (index < 0 || index >= count())
        return;
    CaseAttachment &item = m_items[size_t(index)];
    if (item.file != file) {
        item.file = file;
        m_files.push_back(file);
    }
    item.annotated = true;
    item.script = script;
    item.overlay = overlay;
}

void AttachmentList::restore(int index, long versionId)
{
    if (index < 0 || index >= count())
        return;
    CaseAttachment &item = m_items[size_t(index)];
    item.restoreFrom = versionId;
    item.file.clear();
    item.annotated = false;
    item.script.clear();
    item.overlay.clear();
}

std::vector<long> AttachmentList::removed() const
{
    std::vector<long> gone;
    for (long id : m_storedOrder) {
        if (std::none_of(m_items.begin(), m_items.end(), [id](const CaseAttachment &item) { return item.objectId == id; }))
            gone.push_back(id);
    }
    return gone;
}

bool AttachmentList::changed() const
{
    if (m_items.size() != m_storedOrder.size())
        return true;
    for (size_t i = 0; i < m_items.size(); ++i) {
        if (m_items[i].objectId != m_storedOrder[i] || m_items[i].annotated || m_items[i].restoreFrom != 0)
            return true;
    }
    return false;
}

} // namespace attachments
