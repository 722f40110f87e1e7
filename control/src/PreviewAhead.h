#pragma once

namespace dao {
class Database;
}

namespace ole {
class OleContainer;
}

namespace kelvane {

// A control on a tab not shown yet loads its object only when shown; the
// preview of a stored document is asked for before, at the size container
// will show it, so that the documents of a case are made side by side
// while the user reads the first tab. Says nothing when it cannot: the load
// on showing reports what is wrong.
void askPreviewAhead(dao::Database &db, long id, ole::OleContainer &container);

} // namespace kelvane
