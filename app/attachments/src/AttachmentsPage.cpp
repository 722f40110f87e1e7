#include "attachments/AttachmentsPage.h"

#include "attachments/AttachmentList.h"
#include "attachments/Thumbnails.h"

#include <QAbstractItemModel>
#include <QDropEvent>
#include <QHBoxLayout>
#include <QListWidget>
#include <QLocale>
#include <QMimeData>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTimer>
#include <QVBoxLayout>

namespace attachments {
namespace {

constexpr int IndexRole = Qt::UserRole;
constexpr int KeyRole = Qt::UserRole + 1;

const QSize kThumb(160, 120);

// The caption under the thumbnail, as in an icon view, while the list keeps
// the order a drag changes.
class CaptionBelow : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        option->decorationPosition = QStyleOptionViewItem::Top;
        option->decorationSize = kThumb;
        option->decorationAlignment = Qt::AlignHCenter;
        option->displayAlignment = Qt::AlignHCenter | Qt::AlignTop;
    }
};

QPixmap placeholder()
{
    QPixmap blank(kThumb);
    blank.fill(QColor(235, 235, 235));
    return blank;
}

QPushButton *button(QWidget *parent, const QString &name, const QString &text)
{
    auto *made = new QPushButton(text, parent);
    made->setObjectName(name);
    return made;
}

} // namespace

QString sizeText(qint64 bytes)
{
    const QLocale locale;
    if (bytes < 1024)
        return QStringLiteral("%1 Byte").arg(bytes);
    if (bytes < 1024 * 1024)
        return locale.toString(double(bytes) / 1024, 'f', 1) + QStringLiteral(" KB");
    return locale.toString(double(bytes) / (1024 * 1024), 'f', 1) + QStringLiteral(" MB");
}

QString captionOf(const CaseAttachment &item)
{
    QStringList lines{item.name, item.added.toString(QStringLiteral("dd.MM.yyyy")) + QStringLiteral(" · ")
                                     + sizeText(item.size)};
    if (item.taken.isValid())
        lines << QStringLiteral("Aufnahme: ") + item.taken.toString(QStringLiteral("dd.MM.yyyy hh:mm"));
    if (!item.sha256.isEmpty())
        lines << QStringLiteral("SHA-256: ") + item.sha256.left(16) + QStringLiteral("…");
    return lines.join(u'\n');
}

QString thumbnailKey(const CaseAttachment &item)
{
    // A version coming back shows its own content.
    const long row = item.restoreFrom != 0 ? item.restoreFrom : item.objectId;
    return row != 0 && item.file.isEmpty() ? QStringLiteral("objekt:%1").arg(row) : QStringLiteral("datei:") + item.file;
}

AttachmentsPage::AttachmentsPage(const AttachmentList &list, Thumbnails &thumbnails, QWidget *parent)
    : QWidget(parent), m_list(list), m_thumbnails(thumbnails), m_view(new QListWidget(this)),
      m_add(button(this, QStringLiteral("cmdAnhangNeu"), QStringLiteral("Hinzufügen ..."))),
      m_scan(button(this, QStringLiteral("cmdAnhangScanner"), QStringLiteral("Von Scanner ..."))),
      m_phone(button(this, QStringLiteral("cmdAnhangHandy"), QStringLiteral("Vom Handy ..."))),
      m_open(button(this, QStringLiteral("cmdAnhangOeffnen"), QStringLiteral("Öffnen"))),
      m_delete(button(this, QStringLiteral("cmdAnhangLoeschen"), QStringLiteral("Löschen")))
{
    m_view->setObjectName(QStringLiteral("lstAnhaenge"));
    // A list flowing in rows keeps an order a drag can change.
    m_view->setViewMode(QListView::ListMode);
    m_view->setFlow(QListView::LeftToRight);
    m_view->setWrapping(true);
    m_view->setResizeMode(QListView::Adjust);
    m_view->setIconSize(kThumb);
    m_view->setGridSize(QSize(kThumb.width() + 40, kThumb.height() + 90));
    m_view->setWordWrap(true);
    m_view->setUniformItemSizes(true);
    m_view->setItemDelegate(new CaptionBelow(m_view));
    m_view->setDragDropMode(QAbstractItemView::InternalMove);
    m_view->setDefaultDropAction(Qt::MoveAction);
    m_view->setSelectionMode(QAbstractItemView::SingleSelection);
    m_view->viewport()->installEventFilter(this);
    m_view->viewport()->setAcceptDrops(true);

    auto *buttons = new QHBoxLayout;
    for (QPushButton *b : {m_add, m_scan, m_phone, m_open, m_delete})
        buttons->addWidget(b);
    buttons->addStretch();
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(m_view);

    connect(m_add, &QPushButton::clicked, this, &AttachmentsPage::addRequested);
    connect(m_scan, &QPushButton::clicked, this, &AttachmentsPage::scanRequested);
    connect(m_phone, &QPushButton::clicked, this, &AttachmentsPage::phoneRequested);
    connect(m_open, &QPushButton::clicked, this, [this] {
        if (current() >= 0)
            Q_EMIT openRequested(current());
    });
    connect(m_delete, &QPushButton::clicked, this, [this] {
        if (current() >= 0)
            Q_EMIT deleteRequested(current());
    });
    connect(m_view, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem *item) { Q_EMIT openRequested(item->data(IndexRole).toInt()); });
    connect(m_view, &QListWidget::currentRowChanged, this, [this] { updateButtons(); });
    // A drag ends in rows moved, or removed and inserted: the order is read
    // once the view has settled.
    const auto moved = [this] {
        if (!m_filling)
            QTimer::singleShot(0, this, &AttachmentsPage::tellOrder);
    };
    connect(m_view->model(), &QAbstractItemModel::rowsMoved, this, moved);
    connect(m_view->model(), &QAbstractItemModel::rowsRemoved, this, moved);
    connect(&m_thumbnails, &Thumbnails::ready, this, &AttachmentsPage::showThumbnail);
    refresh();
}

void AttachmentsPage::refresh()
{
    m_filling = true;
    const int row = m_view->currentRow();
    m_view->clear();
    for (int i = 0; i < m_list.count(); ++i) {
        const CaseAttachment &item = m_list.at(i);
        auto *entry = new QListWidgetItem(captionOf(item), m_view);
        entry->setData(IndexRole, i);
        entry->setData(KeyRole, thumbnailKey(item));
        if (!item.sha256.isEmpty())
            entry->setToolTip(QStringLiteral("SHA-256: ") + item.sha256);
        entry->setTextAlignment(Qt::AlignHCenter | Qt::AlignTop);
        const QImage thumbnail = m_thumbnails.known(thumbnailKey(item));
        entry->setIcon(thumbnail.isNull() ? placeholder() : QPixmap::fromImage(thumbnail));
    }
    m_view->setCurrentRow(qMin(row, m_view->count() - 1));
    m_filling = false;
    updateButtons();
}

void AttachmentsPage::showThumbnail(const QString &key, const QImage &image)
{
    if (image.isNull())
        return;
    for (int i = 0; i < m_view->count(); ++i) {
        if (m_view->item(i)->data(KeyRole).toString() == key)
            m_view->item(i)->setIcon(QPixmap::fromImage(image));
    }
}

void AttachmentsPage::setLocked(bool locked)
{
    m_locked = locked;
    m_view->setDragDropMode(locked ? QAbstractItemView::NoDragDrop : QAbstractItemView::InternalMove);
    m_view->viewport()->setAcceptDrops(!locked);
    updateButtons();
}

int AttachmentsPage::current() const
{
    const QListWidgetItem *item = m_view->currentItem();
    return item ? item->data(IndexRole).toInt() : -1;
}

void AttachmentsPage::updateButtons()
{
    const bool chosen = m_view->currentItem() != nullptr;
    m_add->setEnabled(!m_locked);
    m_scan->setEnabled(!m_locked);
    m_phone->setEnabled(!m_locked);
    m_open->setEnabled(chosen);
    m_delete->setEnabled(chosen && !m_locked);
}

void AttachmentsPage::tellOrder()
{
    std::vector<int> order;
    for (int i = 0; i < m_view->count(); ++i)
        order.push_back(m_view->item(i)->data(IndexRole).toInt());
    bool moved = false;
    for (size_t i = 0; i < order.size(); ++i)
        moved = moved || order[i] != int(i);
    if (moved && int(order.size()) == m_list.count())
        Q_EMIT arranged(order);
}

bool AttachmentsPage::eventFilter(QObject *watched, QEvent *event)
{
    // Files dragged in from outside are added; a drag inside the list moves.
    if (watched == m_view->viewport() && !m_locked
        && (event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove || event->type() == QEvent::Drop)) {
        auto *drop = static_cast<QDropEvent *>(event);
        if (drop->source() != m_view && drop->mimeData()->hasUrls()) {
            drop->acceptProposedAction();
            if (event->type() == QEvent::Drop) {
                QStringList paths;
                for (const QUrl &url : drop->mimeData()->urls())
                    if (url.isLocalFile())
                        paths << url.toLocalFile();
                Q_EMIT filesDropped(paths);
            }
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace attachments
