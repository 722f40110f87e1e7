#include "form/HistorySection.h"

#include "form/HistoryModel.h"

#include "history/Journal.h"
#include "history/Versions.h"

#include "core/Clock.h"
#include "core/MessageService.h"
#include "dao/Dao.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace form {

HistorySection::HistorySection() : m_page(std::make_unique<QWidget>())
{
    m_shown = m_page.get();
    m_page->setObjectName(QStringLiteral("tabVerlauf"));
    auto *layout = new QHBoxLayout(m_page.get());
    m_model = new HistoryModel(m_page.get());
    m_view = new QTableView(m_page.get());
    m_view->setObjectName(QStringLiteral("grdVerlauf"));
    m_view->setModel(m_model);
    m_view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_view->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_view->setSelectionMode(QAbstractItemView::SingleSelection);
    m_view->verticalHeader()->hide();
    m_view->horizontalHeader()->setStretchLastSection(true);
    m_view->setWordWrap(false);
    layout->addWidget(m_view, 3);

    auto *side = new QVBoxLayout;
    m_version = new QLabel(m_page.get());
    m_version->setObjectName(QStringLiteral("lblVersion"));
    m_version->setAlignment(Qt::AlignCenter);
    m_version->setMinimumSize(160, 120);
    m_version->setFrameShape(QFrame::StyledPanel);
    m_version->setWordWrap(true);
    side->addWidget(m_version, 1);
    m_restore = new QPushButton(QStringLiteral("Version wiederherstellen"), m_page.get());
    m_restore->setObjectName(QStringLiteral("cmdVersionWiederherstellen"));
    m_restore->setEnabled(false);
    side->addWidget(m_restore);
    m_pending = new QLabel(m_page.get());
    m_pending->setObjectName(QStringLiteral("lblVersionHinweis"));
    m_pending->setWordWrap(true);
    side->addWidget(m_pending);
    layout->addLayout(side, 1);

    QObject::connect(m_view->selectionModel(), &QItemSelectionModel::currentRowChanged, m_page.get(),
                     [this] { showSelected(); });
    QObject::connect(m_restore, &QPushButton::clicked, m_page.get(), [this] { restoreSelected(); });
}

HistorySection::~HistorySection() = default;

QWidget *HistorySection::page() { return m_page ? m_page.release() : m_shown; }

void HistorySection::load(dao::Database &db, long caseId, dao::Recordset *)
{
    m_db = &db;
    m_caseId = caseId;
    refresh();
}

void HistorySection::setLocked(bool locked)
{
    m_locked = locked;
    showSelected();
}

void HistorySection::write(dao::Database &db, long caseId)
{
    m_db = &db;
    m_caseId = caseId;
}

void HistorySection::settle() { refresh(); }

void HistorySection::refresh()
{
    QList<history::Record> records;
    try {
        if (m_db && m_caseId != 0 && history::keepsHistory(*m_db))
            records = history::caseRecords(*m_db, m_caseId);
    } catch (const dao::DaoError &error) {
        core::showMessage(QStringLiteral("Der Verlauf kann nicht gelesen werden: ") + error.description(),
                          core::MsgIcon::Exclamation, core::MsgButtons::Ok, {}, m_shown);
    }
    m_model->setRecords(std::move(records));
    m_pending->clear();
    m_view->resizeColumnsToContents();
    showSelected();
}

int HistorySection::selectedRow() const
{
    const QModelIndex current = m_view->currentIndex();
    return current.isValid() ? current.row() : -1;
}

void HistorySection::showSelected()
{
    const int row = selectedRow();
    const bool kept = row >= 0 && !m_model->record(row).objectId.isNull();
    const bool restorable = kept
        && (history::slotOfField(m_model->record(row).field) > 0
            || (m_restoreAttachment && !history::attachmentOfField(m_model->record(row).field).isNull()));
    m_restore->setEnabled(restorable && !m_locked);
    m_version->clear();
    if (!kept || !m_db)
        return;
    history::Version version;
    try {
        version = history::readVersion(*m_db, long(m_model->record(row).objectId.toLongLong()));
    } catch (const dao::DaoError &error) {
        m_version->setText(error.description());
        return;
    }
    if (!version.exists()) {
        m_version->setText(QStringLiteral("Diese Version wurde bereinigt."));
        m_restore->setEnabled(false);
        return;
    }
    const QImage picture = version.picture ? QImage::fromData(version.bytes) : QImage();
    if (picture.isNull()) {
        m_version->setText(QStringLiteral("Dokument (%1), %L2 Bytes").arg(version.type).arg(version.bytes.size()));
        return;
    }
    m_version->setPixmap(QPixmap::fromImage(
        picture.scaled(m_version->size() - QSize(8, 8), Qt::KeepAspectRatio, Qt::SmoothTransformation)));
}

void HistorySection::restoreSelected()
{
    const int row = selectedRow();
    if (row < 0 || !m_db)
        return;
    const history::Record record = m_model->record(row);
    const int slot = history::slotOfField(record.field);
    if (slot == 0) {
        QString refusal;
        try {
            refusal = m_restoreAttachment ? m_restoreAttachment(record) : QStringLiteral("Nicht wiederherstellbar.");
        } catch (const dao::DaoError &error) {
            refusal = error.description();
        }
        if (!refusal.isEmpty())
            core::showMessage(refusal, core::MsgIcon::Information, core::MsgButtons::Ok, {}, m_shown);
        else
            m_pending->setText(QStringLiteral("%1 kommt mit dem Speichern des Vorgangs zurück.").arg(record.field));
        return;
    }
    dao::Database &db = *m_db;
    const long caseId = m_caseId;
    writeNow([&db, caseId, record, slot] {
        history::restoreVersion(db, caseId, QStringLiteral("Objekt_ID_%1").arg(slot), record.field,
                                long(record.objectId.toLongLong()), core::Clock::now());
    });
}

} // namespace form
