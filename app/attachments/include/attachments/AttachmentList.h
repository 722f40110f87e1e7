#pragma once

#include "attachments/CaseAttachment.h"

#include <vector>

namespace attachments {

// The further attachments of one case as the user arranges them: what is
// stored, and what was added, removed, moved or annotated since. It owns the
// files of the attachments not stored yet and deletes them when it is reset.
class AttachmentList {
public:
    AttachmentList() = default;
    ~AttachmentList();
    AttachmentList(const AttachmentList &) = delete;
    AttachmentList &operator=(const AttachmentList &) = delete;

    // The attachments as stored, in their order; every change is dropped.
    void reset(std::vector<CaseAttachment> stored);

    const std::vector<CaseAttachment> &items() const { return m_items; }
    int count() const { return int(m_items.size()); }
    const CaseAttachment &at(int index) const { return m_items.at(size_t(index)); }

    void append(CaseAttachment item);
    void remove(int index);
    // The attachment at from goes to the place to (indexes before the move).
    void move(int from, int to);
    // The attachments in a new order: order[i] is the index of the one that
    // now stands at i. Anything but a permutation changes nothing.
    void arrange(const std::vector<int> &order);
    // A new annotation of the picture at index, drawn over file (ours).
    void annotate(int index, const QString &file, const QString &script, const QByteArray &overlay);

    // The content of kept version versionId comes back into the attachment
    // at index with the save, drawn over no more.
    void restore(int index, long versionId);

    // The stored attachments no longer listed.
    std::vector<long> removed() const;
    bool changed() const;

private:
    void dropFiles();

    std::vector<CaseAttachment> m_items;
    std::vector<long> m_storedOrder;
    std::vector<QString> m_files; // ours, deleted on reset
};

} // namespace attachments
