#pragma once

#include "report/PageItems.h"
#include "report/ReportDefinition.h"

#include <QSizeF>
#include <QString>
#include <QStringList>

#include <deque>
#include <limits>
#include <vector>

namespace report {

class GridSource;
class ReportData;

// The layout run: walks the definition section by section, binds the field
// values, decides on which page each element lands, splits memo texts at
// the footer and carries them on over as many pages as they need, expands
// the grid into its frame and pages of rows, and records the result as page
// items. The grid's cells are not kept: each page's rows are read from the
// grid again when the page is drawn (forEachExtra). Only the items of the
// pages asked for are kept (setKeptPages); the others are laid out and let
// go, so that a list of any length lays out in the memory of a few pages
// and a page let go is had again by another run.
// All measuring is in twips, independent of any screen or printer.
class ReportLayout : public PageExtras {
public:
    // paperCm: the paper's size in cm, for coordinates measured from its
    // right or bottom edge. definition.footerTop must be set (the print
    // entry makes a missing one the paper height).
    ReportLayout(const ReportDefinition &definition, ReportData &data, QSizeF paperCm);

    // The list's grid and the number of its rows to print.
    void setGrid(GridSource *grid, long rows);

    // Told each time a page is complete, with the number of complete pages;
    // its items and cells can be drawn from then on, at least until the
    // observer returns. Answering false stops the run: ReadIt returns false
    // with the pages laid out so far.
    using PageObserver = std::function<bool(int completePages)>;
    void setPageObserver(PageObserver observer) { m_observer = std::move(observer); }

    // The pages whose items stay once they are complete: count pages from
    // first on (every page unless told). The last page of a finished run
    // stays as well.
    void setKeptPages(int first, int count);
    // Whether the items of page are complete and held.
    bool holdsPage(int page) const;
    int completePages() const { return m_complete; }

    // The whole run; true when it completes. Throws dao::DaoError when the
    // case cannot be read.
    bool ReadIt();
    // What went wrong in the last run without ending it (a section without
    // elements), in the words the user is told; the caller tells them.
    const QStringList &problems() const { return m_problems; }

    const PageItemList &pageItems() const { return m_items; }
    int totalPages() const { return m_totalPages; }

    // The grid's cells on page, read from the grid in the list's order.
    // Throws dao::DaoError when the grid cannot be read.
    void forEachExtra(int page, const std::function<void(const ReportElement &)> &item) const override;

    double AdjustX(double x) const { return x < 0 ? m_paper.width() + x : x; }
    double AdjustY(double y) const { return y < 0 ? m_paper.height() + y : y; }

    // Index of the section of that name, KOPF1 for KOPF on page 1 when the
    // definition has one; 0 when there is none.
    int FindSection(const QString &name) const;

private:
    struct Filter {
        int mode = 0;
        int op = 0;            // 0: no filter
        QString field;
        QString value;
    };

    void DoHeaders();
    void LayoutHeaderFooter();
    void StartNewPage();
    void LayoutSectionChecked(const QString &name);
    void LayoutSection(int index);
    void LayoutElement(int index);
    ReportElement &RecordPageItem(int index);
    ReportElement &recordItem(const ReportElement &element);
    void CheckOverflow(double bottom, int index);
    void AddContinuation(int index, const QString &text);
    bool EvaluateFilter() const;
    void flowAdvance(int index, double y1);
    void layoutMemo(const ReportElement &element, int index, bool continuation);
    void layoutGrid(const ReportElement &element, double x1, double y1);
    void recordGridHeader(const ReportElement &cell, double x1, double y1, double x2, double y2, double rowHeight);
    void placeContinuations();
    bool isExemptSection(int section) const;
    bool continuationsPending() const { return !m_continuations.empty(); }

    const ReportDefinition &m_def;
    ReportData &m_data;
    QSizeF m_paper;
    GridSource *m_grid = nullptr;
    long m_gridRows = 0;
    PageObserver m_observer;

    bool keeps(int page) const { return page >= m_keptFirst && page - m_keptFirst < m_keptCount; }

    PageItemList m_items;
    int m_keptFirst = 1;
    int m_keptCount = std::numeric_limits<int>::max();
    int m_complete = 0;
    int m_unretired = 0;        // complete and held whether kept or not: the observer's page, the last one
    QStringList m_problems;
    std::deque<ReportElement> m_continuations;
    double m_flow = 0;
    float m_memoGrowth = 0;
    int m_page = 1;
    int m_totalPages = 0;
    Filter m_filter;
    bool m_gridBusy = false;
    bool m_gridDone = false;

    struct GridColumnBox {
        int source;            // column of the grid source
        QString caption;
        double start;          // cm
        double end;            // cm
        int alignment;
    };
    QList<GridColumnBox> m_gridColumns;

    // The grid's rows on each page: [firstRow, endRow) of the grid below its
    // header row, drawn as cells of m_gridCell.
    struct GridBand {
        int page;
        long firstRow;
        long endRow;
    };
    std::vector<GridBand> m_gridBands;
    ReportElement m_gridCell;
    double m_gridRowsTop = 0;     // cm, top of the first row of a page
    double m_gridRowHeight = 0;   // cm
};

} // namespace report
