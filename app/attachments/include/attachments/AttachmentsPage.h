#pragma once

#include "attachments/CaseAttachment.h"

#include <QWidget>

#include <vector>

class QListWidget;
class QPushButton;

namespace attachments {

class AttachmentList;
class Thumbnails;

// The tab "Anhänge": the attachments as thumbnails with their name, date and
// size, and the buttons that act on them. It only shows and wires; what is
// done lives in the section behind it.
class AttachmentsPage : public QWidget {
    Q_OBJECT
public:
    AttachmentsPage(const AttachmentList &list, Thumbnails &thumbnails, QWidget *parent = nullptr);

    // Shows the list again, from the list.
    void refresh();
    void setLocked(bool locked);
    // The row selected; -1 for none.
    int current() const;
    QListWidget *view() const { return m_view; }

Q_SIGNALS:
    void addRequested();
    void scanRequested();
    void phoneRequested();
    void openRequested(int index);
    void deleteRequested(int index);
    // order[i]: the index in the list of the attachment now shown at i.
    void arranged(const std::vector<int> &order);
    void filesDropped(const QStringList &paths);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void showThumbnail(const QString &key, const QImage &image);
    void tellOrder();
    void updateButtons();

    const AttachmentList &m_list;
    Thumbnails &m_thumbnails;
    QListWidget *m_view;
    QPushButton *m_add;
    QPushButton *m_scan;
    QPushButton *m_phone;
    QPushButton *m_open;
    QPushButton *m_delete;
    bool m_locked = false;
    bool m_filling = false;
};

// The text under an attachment's thumbnail.
QString captionOf(const CaseAttachment &item);
// Bytes as the user reads them: "812 Byte", "3,4 MB".
QString sizeText(qint64 bytes);
// The key its thumbnail is asked under.
QString thumbnailKey(const CaseAttachment &item);

} // namespace attachments
