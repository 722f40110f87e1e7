#include "form/CaseSection.h"

#include "attachments/AttachmentsSection.h"
#include "form/HistorySection.h"
#include "history/Record.h"
#include "varnholt/ControlLibrary.h"
#include "vehicle/SkizzeSection.h"

namespace form {

std::vector<std::unique_ptr<CaseSection>> makeCaseSections(dao::Database &db)
{
    std::vector<std::unique_ptr<CaseSection>> sections;
    auto furtherAttachments = std::make_unique<attachments::AttachmentsSection>(
        db, varnholt::ControlLibrary::program().attachmentWriter(&db));
    auto changes = std::make_unique<HistorySection>();
    changes->setAttachmentRestore(
        [further = furtherAttachments.get()](const history::Record &record) { return further->restoreVersion(record); });
    sections.push_back(std::move(furtherAttachments));
    sections.push_back(std::make_unique<vehicle::SkizzeSection>(db));
    sections.push_back(std::move(changes));
    return sections;
}

} // namespace form
