#pragma once

#include <QString>

namespace dao {
class Database;
}

// A case with three one-page PDF estimates: the form until its three
// picture tabs show the pages (drawn by kelvane-preview), against rendering
// the same pages with Poppler in this process; and the same case opened a
// second time (from the preview cache) against the first. Prints the two
// ratios.
void benchDocuments(dao::Database &db, const QString &folder);
