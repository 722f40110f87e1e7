#pragma once

#include "report/PageItems.h"
#include "report/ReportDefinition.h"

#include <QSizeF>
#include <QString>
#include <QStringList>

#include <deque>

namespace report {

class GridSource;
class ReportData;

// The layout run: walks the definition section by section, binds the field
// values, decides on which page each element lands, splits memo texts at
// the footer and carries them on over as many pages as they need, expands
// the grid into cells and lines, and records the result as page items.
// All measuring is in twips, independent of any screen or printer.
class ReportLayout {
public:
    // paperCm: the paper's size in cm, for coordinates measured from its
    // right or bottom edge. definition.footerTop must be set (the print
    // entry makes a missing one the paper height).
    ReportLayout(const ReportDefinition &definition, ReportData &data, QSizeF paperCm);

    // The list's grid and the number of its rows to print.
    void setGrid(GridSource *grid, long rows);

    // The whole run; true when it completes. Throws dao::DaoError when the
    // case cannot be read.
    bool ReadIt();
    // What went wrong in the last run without ending it (a section without
    // elements), in the words the user is told; the caller tells them.
    const QStringList &problems() const { return m_problems; }

    const PageItemList &pageItems() const { return m_items; }
    int totalPages() const { return m_totalPages; }

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

    PageItemList m_items;
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
};

} // namespace report
