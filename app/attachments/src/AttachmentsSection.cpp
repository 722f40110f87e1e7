#include "attachments/AttachmentsSection.h"

#include "attachments/AttachmentsPage.h"
#include "attachments/Intake.h"
#include "attachments/Thumbnails.h"

#include "core/MessageService.h"
#include "core/PrivateTempFolders.h"
#include "core/WaitCursor.h"
#include "dao/Dao.h"
#include "history/Record.h"
#include "history/Versions.h"
#include "kelvane/AttachmentWriter.h"
#include "phone/PhoneDialog.h"
#include "quarvik/ScannerAcquisition.h"
#include "sendral/OverlayGraphic.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QUrl>

namespace attachments {

AttachmentsSection::AttachmentsSection(dao::Database &db, std::unique_ptr<kelvane::IAttachmentWriter> writer)
    : m_db(db), m_writer(std::move(writer)), m_store(db, m_writer.get()),
      m_thumbnails(std::make_unique<Thumbnails>(QSize(160, 120)))
{
    m_page = new AttachmentsPage(m_list, *m_thumbnails);
    QObject::connect(m_page, &AttachmentsPage::addRequested, m_page, [this] { chooseFiles(); });
    QObject::connect(m_page, &AttachmentsPage::scanRequested, m_page, [this] { scan(); });
    QObject::connect(m_page, &AttachmentsPage::phoneRequested, m_page, [this] { fromPhone(); });
    QObject::connect(m_page, &AttachmentsPage::openRequested, m_page, [this](int index) { open(index); });
    QObject::connect(m_page, &AttachmentsPage::deleteRequested, m_page, [this](int index) { remove(index); });
    QObject::connect(m_page, &AttachmentsPage::arranged, m_page,
                     [this](const std::vector<int> &order) { arrange(order); });
    QObject::connect(m_page, &AttachmentsPage::filesDropped, m_page, [this](const QStringList &paths) { addPaths(paths); });
}

AttachmentsSection::~AttachmentsSection() { delete m_page.data(); }

QWidget *AttachmentsSection::page() { return m_page; }

void AttachmentsSection::load(dao::Database &db, long caseId, dao::Recordset *)
{
    m_caseId = caseId;
    m_written = 0;
    m_available = AttachmentStore::available(db);
    m_list.reset(m_store.load(caseId));
    m_page->setLocked(m_locked || !m_available || !m_writer);
    askThumbnails();
    m_page->refresh();
}

void AttachmentsSection::setLocked(bool locked)
{
    m_locked = locked;
    m_page->setLocked(m_locked || !m_available || !m_writer);
}

void AttachmentsSection::write(dao::Database &, long caseId)
{
    m_store.write(caseId, m_list);
    // A new case has its number now; settle() shows what was stored under it.
    m_written = caseId;
}

void AttachmentsSection::settle()
{
    // What is stored is shown again, with the numbers a save gave, and what
    // the user dropped is gone.
    if (m_written != 0)
        m_caseId = m_written;
    if (m_written != 0 || m_list.changed())
        load(m_db, m_caseId, nullptr);
}

void AttachmentsSection::changedHere()
{
    askThumbnails();
    m_page->refresh();
    tellChanged();
}

void AttachmentsSection::askThumbnails()
{
    for (const CaseAttachment &item : m_list.items()) {
        const QString key = thumbnailKey(item);
        if (m_thumbnails->has(key))
            continue;
        m_thumbnails->request(key, m_store.content(item));
    }
}

int AttachmentsSection::addFiles(const QList<IncomingFile> &files)
{
    if (files.isEmpty())
        return 0;
    if (m_locked || !m_available || !m_writer) {
        core::showMessage(m_locked ? QStringLiteral("Der Vorgang ist erledigt; Anhänge können nicht mehr hinzugefügt "
                                                    "werden.")
                                   : QStringLiteral("Anhänge können mit dieser Datenbank oder ohne die Bibliothek "
                                                    "libkelvane nicht gespeichert werden."),
                          core::MsgIcon::Information, core::MsgButtons::Ok, {}, m_page);
        return 0;
    }
    QStringList refused;
    int added = 0;
    {
        const core::WaitCursor wait;
        for (const IncomingFile &file : files) {
            Intake intake = takeIn(file);
            if (intake.item) {
                m_list.append(std::move(*intake.item));
                ++added;
            } else {
                refused << intake.refusal;
            }
        }
    }
    if (added > 0)
        changedHere();
    if (!refused.isEmpty())
        core::showMessage(refused.join(u'\n'), core::MsgIcon::Information, core::MsgButtons::Ok, {}, m_page);
    return added;
}

void AttachmentsSection::addPaths(const QStringList &paths)
{
    QList<IncomingFile> files;
    for (const QString &path : paths)
        files.append(IncomingFile{path, {}, {}, {}});
    addFiles(files);
}

QString AttachmentsSection::takeFromPhone(const phone::IncomingFile &file)
{
    if (m_locked || !m_available || !m_writer)
        return QStringLiteral("Der Vorgang nimmt keine Anhänge mehr an.");
    Intake intake = takeIn(IncomingFile{file.path, file.originalName, file.exifTime.value_or(QDateTime()), file.sha256});
    if (!intake.item)
        return intake.refusal.isEmpty() ? QStringLiteral("Die Datei kann nicht übernommen werden.") : intake.refusal;
    m_list.append(std::move(*intake.item));
    changedHere();
    return {};
}

void AttachmentsSection::fromPhone()
{
    phone::PhoneDialog dialog(QStringLiteral("Jedes Foto und jedes PDF kommt zu den Anhängen dieses Vorgangs"), {},
                              m_page);
    dialog.setDelivery([this](const phone::IncomingFile &file) { return takeFromPhone(file); });
    dialog.exec();
}

void AttachmentsSection::remove(int index)
{
    if (m_locked || index < 0 || index >= m_list.count())
        return;
    m_list.remove(index);
    changedHere();
}

void AttachmentsSection::arrange(const std::vector<int> &order)
{
    if (m_locked)
        return;
    m_list.arrange(order);
    changedHere();
}

void AttachmentsSection::chooseFiles()
{
    const QStringList paths = QFileDialog::getOpenFileNames(
        m_page, QStringLiteral("Anhänge hinzufügen"), QString(),
        QStringLiteral("Bilder und PDF-Dokumente (*.jpg *.jpeg *.png *.gif *.bmp *.tif *.tiff *.webp *.heic *.heif "
                       "*.pdf);;Alle Dateien (*)"));
    addPaths(paths);
}

void AttachmentsSection::scan()
{
    quarvik::ScannerAcquisition scanner(m_page);
    const QString path = scanner.run();
    if (path.isEmpty())
        return;
    addFiles({IncomingFile{path, QStringLiteral("Scan.png"), {}, {}}});
    QFile::remove(path);
}

void AttachmentsSection::open(int index)
{
    if (index < 0 || index >= m_list.count())
        return;
    if (m_list.at(index).picture)
        annotate(index);
    else
        showDocument(index);
}

QString AttachmentsSection::restoreVersion(const history::Record &record)
{
    const QString name = history::attachmentOfField(record.field);
    const long versionId = long(record.objectId.toLongLong());
    if (name.isNull() || versionId == 0)
        return QStringLiteral("Dieser Eintrag bewahrt keine Version eines Anhangs.");
    if (m_locked)
        return QStringLiteral("Der Vorgang ist erledigt; seine Anhänge bleiben, wie sie sind.");
    if (!m_available || !m_writer)
        return QStringLiteral("Die Anhänge dieses Vorgangs können hier nicht geändert werden.");
    const history::Version version = history::readVersion(m_db, versionId);
    if (!version.exists())
        return QStringLiteral("Diese Version wurde bereinigt.");
    int index = -1;
    if (record.newValue.toString() != QStringLiteral("gelöscht")) {
        for (int i = 0; i < m_list.count() && index < 0; ++i)
            if (m_list.at(i).objectId != 0 && m_list.at(i).name == name)
                index = i;
    }
    if (index >= 0) {
        m_list.restore(index, versionId);
    } else {
        CaseAttachment item;
        item.name = name;
        item.picture = version.picture;
        item.size = contentOf(version.bytes, version.picture).size();
        item.restoreFrom = versionId;
        m_list.append(std::move(item));
    }
    changedHere();
    return {};
}

// The file a stored attachment's content is read from, with its stored
// script; a new one's own file.
QString AttachmentsSection::contentFile(int index, bool *isBitmap, QString *script)
{
    const CaseAttachment &item = m_list.at(index);
    *isBitmap = item.picture;
    *script = item.script;
    if (!item.file.isEmpty() || !m_writer)
        return item.file;
    QString file;
    std::shared_ptr<sendral::OverlayGraphic> overlay;
    if (!m_writer->LoadObject(item.restoreFrom != 0 ? item.restoreFrom : item.objectId, file, *isBitmap, *script,
                              overlay))
        return {};
    return file;
}

void AttachmentsSection::annotate(int index)
{
    if (!m_writer)
        return;
    bool isBitmap = true;
    QString script;
    const QString file = contentFile(index, &isBitmap, &script);
    if (file.isEmpty())
        return;
    const bool ours = file == m_list.at(index).file;
    // A settled case is looked at, not drawn on: the annotation is not kept.
    std::optional<kelvane::Annotation> drawn = m_writer->EditAnnotation(file, script, m_page);
    if (!drawn || m_locked) {
        if (!ours)
            QFile::remove(file);
        return;
    }
    QByteArray overlay;
    if (drawn->overlay)
        overlay = drawn->overlay->Data().value_or(QByteArray());
    m_list.annotate(index, file, drawn->script, overlay);
    changedHere();
}

void AttachmentsSection::showDocument(int index)
{
    const CaseAttachment &item = m_list.at(index);
    const QByteArray content = m_store.content(item);
    const QString folder = core::PrivateTempFolders::ofSystemTemp();
    // The user's copy, under the attachment's own name; edits there stay there.
    const QString name = QFileInfo(item.name).fileName().isEmpty() ? QStringLiteral("Anhang.pdf")
                                                                   : QFileInfo(item.name).fileName();
    QDir(folder).mkpath(QStringLiteral("Anhang-%1").arg(index));
    QFile copy(folder + QStringLiteral("/Anhang-%1/").arg(index) + name);
    if (content.isEmpty() || folder.isEmpty() || !copy.open(QIODevice::WriteOnly | QIODevice::Truncate)
        || copy.write(content) != content.size()) {
        core::showMessage(QStringLiteral("Das Dokument \"%1\" kann nicht geöffnet werden.").arg(item.name),
                          core::MsgIcon::Information, core::MsgButtons::Ok, {}, m_page);
        return;
    }
    copy.close();
    QDesktopServices::openUrl(QUrl::fromLocalFile(copy.fileName()));
}

} // namespace attachments
