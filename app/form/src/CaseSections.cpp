#include "form/CaseSection.h"

#include "attachments/AttachmentsSection.h"
#include "form/HistorySection.h"
#include "varnholt/ControlLibrary.h"
#include "vehicle/SkizzeSection.h"

namespace form {

std::vector<std::unique_ptr<CaseSection>> makeCaseSections(dao::Database &db)
{
    std::vector<std::unique_ptr<CaseSection>> sections;
    sections.push_back(std::make_unique<attachments::AttachmentsSection>(
        db, varnholt::ControlLibrary::program().attachmentWriter(&db)));
    sections.push_back(std::make_unique<vehicle::SkizzeSection>(db));
    sections.push_back(std::make_unique<HistorySection>());
    return sections;
}

} // namespace form
