#pragma once

#include <QString>

namespace report {

class GridSource;
class PageItemList;
class ReportData;
struct ReportDefinition;

// What the preview's "Clip" puts on the clipboard: the report's content as
// plain text for a spreadsheet or a mail. Every record is one line; tabs and
// line breaks inside a value become blanks so they cannot split it.

// The list: a header line with the captions of the printed columns, then one
// line per case, cells separated by tabs, in the list's order.
QString listClipText(GridSource &grid);

// A single case: one "Feld: Wert" line per field the laid-out report prints,
// in print order. The caption is the text printed before the field (its
// colon dropped), or the field's name where none stands before it. Memo
// fields give their whole text, however many pages it covers.
QString caseClipText(const PageItemList &items, const ReportDefinition &definition, ReportData &data);

} // namespace report
