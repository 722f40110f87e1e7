#pragma once

#include "attachments/AttachmentList.h"
#include "attachments/AttachmentStore.h"
#include "attachments/CaseAttachment.h"

#include "form/CaseSection.h"

#include <QList>
#include <QPointer>

#include <memory>

namespace history {
struct Record;
}
namespace kelvane {
class IAttachmentWriter;
}
namespace phone {
struct IncomingFile;
}

namespace attachments {

class AttachmentsPage;
class Thumbnails;

// The case form's tab "Anhänge": any number of pictures and PDF documents
// beside the three Bild slots, added, opened, annotated, removed and ordered
// here and written with the case.
class AttachmentsSection : public form::CaseSection {
public:
    // writer may be null (no control library): the list is shown, not changed.
    AttachmentsSection(dao::Database &db, std::unique_ptr<kelvane::IAttachmentWriter> writer);
    ~AttachmentsSection() override;

    QString title() const override { return QStringLiteral("Anhänge"); }
    QWidget *page() override;
    void load(dao::Database &db, long caseId, dao::Recordset *row) override;
    void setLocked(bool locked) override;
    bool changed() const override { return m_list.changed(); }
    void write(dao::Database &db, long caseId) override;
    void settle() override;

    // Files received from outside or chosen by the user, each checked whole:
    // what passes is added at the end, what does not is told in one message.
    // The number added; none, told, while the case is settled. The files
    // themselves stay where they are, the caller's.
    int addFiles(const QList<IncomingFile> &files);
    void addPaths(const QStringList &paths);
    // One file the phone sent, taken as a copy of ours: "" or why not, for
    // the phone's page and the dialog's list rather than a message box.
    QString takeFromPhone(const phone::IncomingFile &file);
    void remove(int index);
    void arrange(const std::vector<int> &order);
    // Pictures in the annotation editor, documents in their application.
    void open(int index);
    // A kept version of a further attachment comes back with the case's
    // save: into the stored attachment of its name, or, when the record
    // tells of its deletion or none is left, as one more. "" or why not.
    QString restoreVersion(const history::Record &record);

    const AttachmentList &list() const { return m_list; }
    Thumbnails &thumbnails() { return *m_thumbnails; }

private:
    void changedHere();
    void askThumbnails();
    void chooseFiles();
    void scan();
    void fromPhone();
    void annotate(int index);
    void showDocument(int index);
    QString contentFile(int index, bool *isBitmap, QString *script);

    dao::Database &m_db;
    std::unique_ptr<kelvane::IAttachmentWriter> m_writer;
    AttachmentStore m_store;
    AttachmentList m_list;
    std::unique_ptr<Thumbnails> m_thumbnails;
    QPointer<AttachmentsPage> m_page;
    long m_caseId = 0;
    long m_written = 0; // the case written in the save under way
    bool m_locked = false;
    bool m_available = false;
};

} // namespace attachments
