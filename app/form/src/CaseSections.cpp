#include "form/CaseSection.h"
#include "form/HistorySection.h"

namespace form {

std::vector<std::unique_ptr<CaseSection>> makeCaseSections(dao::Database &db)
{
    (void)db;
    std::vector<std::unique_ptr<CaseSection>> sections;
    sections.push_back(std::make_unique<HistorySection>());
    return sections;
}

} // namespace form
