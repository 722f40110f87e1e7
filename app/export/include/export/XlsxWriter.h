#pragma once

#include "export/SheetWriter.h"

struct lxw_workbook;
struct lxw_worksheet;
struct lxw_format;

namespace exporter {

// An Excel workbook of one sheet through libxlsxwriter, rows streamed to
// disk as they come (its constant-memory mode): German captions in a bold,
// frozen header row with an autofilter, dates as dates, amounts as numbers
// in a euro format, columns as wide as the list shows them.
class XlsxWriter : public SheetWriter {
public:
    // A sheet holds 1,048,576 rows, the header among them.
    static constexpr long MaxDataRows = 1048575;
    // The longest text a cell holds.
    static constexpr int MaxCellChars = 32767;

    XlsxWriter();
    ~XlsxWriter() override;

    bool begin(const QString &path, const ExportColumns &columns, QString *message) override;
    bool writeRow(const std::vector<QVariant> &values, QString *message) override;
    bool finish(QString *message) override;

    // The column width in characters of the sheet's standard font for a
    // column the list shows `twips` wide, at least what its kind needs.
    static double characterWidth(double twips, CellKind kind);
    // A text as a cell can hold it: control characters other than tab and
    // line breaks, which XML cannot carry, become blanks; beyond
    // MaxCellChars it is cut.
    static QByteArray cellText(const QString &text);

private:
    bool check(int error, QString *message) const;
    void discard();

    lxw_workbook *m_book = nullptr;
    lxw_worksheet *m_sheet = nullptr;
    lxw_format *m_header = nullptr;
    lxw_format *m_date = nullptr;
    lxw_format *m_dateTime = nullptr;
    lxw_format *m_amount = nullptr;
    ExportColumns m_columns;
    long m_row = 0;
};

} // namespace exporter
