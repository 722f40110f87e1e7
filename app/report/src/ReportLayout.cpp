#include "report/ReportLayout.h"

#include "report/Format.h"
#include "report/GridSource.h"
#include "report/ReportData.h"
#include "report/TextMeasure.h"

#include "core/Clock.h"
#include "core/NumberText.h"
#include "core/Twips.h"

#include <algorithm>
#include <cmath>

namespace report {
namespace {

constexpr double kMemoInset = 0.05;           // cm
constexpr double kContinuationGap = 0.1;      // cm below the flow position
constexpr double kGridGap = 100;              // twips between grid columns
constexpr double kGridIndent = 0.15;          // cm, left-aligned cells

// Thrown through the run when the page observer stops it.
struct LayoutStopped {};

// A definition number beyond any int counts as no number, 0.
int roundedInt(double value) { return core::roundedInteger<int>(value).value_or(0); }

} // namespace

ReportLayout::ReportLayout(const ReportDefinition &definition, ReportData &data, QSizeF paperCm)
    : m_def(definition), m_data(data), m_paper(paperCm)
{
}

void ReportLayout::setGrid(GridSource *grid, long rows)
{
    m_grid = grid;
    m_gridRows = rows;
}

void ReportLayout::setKeptPages(int first, int count)
{
    m_keptFirst = first;
    m_keptCount = count;
}

bool ReportLayout::holdsPage(int page) const
{
    return page >= 1 && page <= m_complete && (keeps(page) || page == m_unretired);
}

bool ReportLayout::ReadIt()
{
    m_items.clear();
    m_complete = 0;
    m_unretired = 0;
    m_problems.clear();
    m_continuations.clear();
    m_data.PrepareReportData();
    m_flow = 0;
    m_memoGrowth = 0;
    m_page = 1;
    m_totalPages = 0;
    m_filter = {};
    m_gridBusy = false;
    m_gridDone = false;
    m_gridBands.clear();

    try {
        while (true) {
            const QString name = m_data.NextBodySection();
            if (!name.isEmpty()) {
                DoHeaders();
                LayoutSectionChecked(name);
                continue;
            }
            while (continuationsPending()) {
                StartNewPage();
                DoHeaders();
            }
            break;
        }
    } catch (const LayoutStopped &) {
        m_totalPages = m_page - 1;
        return false;
    }
    m_totalPages = m_page;
    m_complete = m_page;
    m_unretired = m_page;
    return true;
}

int ReportLayout::FindSection(const QString &name) const
{
    const QString key = name.toUpper().trimmed();
    if (key == u"KOPF" && m_page == 1) {
        for (int i = 1; i < m_def.sections.size(); ++i) {
            if (m_def.sections[i].name.trimmed() == u"KOPF1")
                return i;
        }
    }
    for (int i = 1; i < m_def.sections.size(); ++i) {
        if (m_def.sections[i].name.trimmed() == key)
            return i;
    }
    return 0;
}

void ReportLayout::DoHeaders()
{
    if (m_flow != 0)
        return;
    LayoutSection(FindSection(QStringLiteral("FUSS")));
    LayoutSection(FindSection(QStringLiteral("KOPF")));
    placeContinuations();
}

void ReportLayout::LayoutHeaderFooter()
{
    // FindSection takes KOPF1 on page 1 by itself.
    DoHeaders();
}

// Memo text that did not fit on the page before goes on at the top of this
// page's body; each entry is taken off the list once placed.
void ReportLayout::placeContinuations()
{
    while (continuationsPending() && m_continuations.front().page <= m_page) {
        const ReportElement continuation = m_continuations.front();
        m_continuations.pop_front();
        layoutMemo(continuation, continuation.sourceElement, true);
    }
}

void ReportLayout::StartNewPage()
{
    m_complete = m_page;
    m_unretired = m_page;
    if (m_observer && !m_observer(m_page))
        throw LayoutStopped{};
    // Nothing refers to the page's items past this point: the run goes on
    // on the next page.
    if (!keeps(m_page))
        m_items.dropLastPage(m_page);
    m_unretired = 0;
    m_memoGrowth = 0;
    m_flow = 0;
    ++m_page;
}

void ReportLayout::LayoutSectionChecked(const QString &name)
{
    const int index = FindSection(name);
    if (index == 0)
        return;
    if (m_def.footerTop - m_flow - m_def.sections[index].height <= 0) {
        StartNewPage();
        LayoutHeaderFooter();
    }
    LayoutSection(index);
}

void ReportLayout::LayoutSection(int index)
{
    if (index <= 0 || index >= m_def.sections.size())
        return;
    m_memoGrowth = 0;
    const ReportSection &section = m_def.sections[index];
    if (section.lastElement < section.firstElement) {
        m_problems.append(QStringLiteral(" Fehler beim Erstellen der Druckvoranzeige !"));
        return;
    }
    m_filter.op = 0;
    for (int i = section.firstElement; i <= section.lastElement && i < m_def.elements.size(); ++i) {
        if (m_filter.op > 0) {
            const bool passed = EvaluateFilter();
            if (m_filter.mode == 0) {
                if (!passed) {
                    m_filter.op = 0;
                    continue;
                }
            } else if (!passed) {
                return;
            }
        }
        LayoutElement(i);
    }
}

ReportElement &ReportLayout::recordItem(const ReportElement &element)
{
    ReportElement &item = m_items.append(element);
    item.page = m_page;
    item.flow = m_flow;
    return item;
}

ReportElement &ReportLayout::RecordPageItem(int index) { return recordItem(m_def.elements[index]); }

void ReportLayout::LayoutElement(int index)
{
    const ReportElement &e = m_def.elements[index];
    const double x1 = AdjustX(e.x1);
    const double y1 = AdjustY(e.y1) + m_flow;
    RecordPageItem(index);

    switch (e.kind) {
    case ElementKind::Filter:
        m_filter = {roundedInt(e.x1), roundedInt(e.y1), e.field, e.text};
        break;
    case ElementKind::Text:
    case ElementKind::Rect:
        CheckOverflow(AdjustY(e.y2) + m_flow, index);
        break;
    case ElementKind::Field:
        CheckOverflow(AdjustY(e.y2) + m_flow, index);
        m_items.last().text = m_data.ResolveField(e.field, e.format);
        break;
    case ElementKind::PrintDate:
        m_items.last().text = formatDate(core::Clock::now(), e.format);
        break;
    case ElementKind::Page:
        m_items.last().text = formatNumber(m_page, e.format);
        break;
    case ElementKind::Pages:
        // The total is known only at the end; the renderer formats it again.
        m_items.last().text = formatNumber(m_totalPages, e.format);
        break;
    case ElementKind::Memo:
        layoutMemo(e, index, false);
        break;
    case ElementKind::Grid:
        layoutGrid(e, x1, y1);
        break;
    case ElementKind::Picture:
        CheckOverflow(AdjustY(e.y2) + m_flow, index);
        m_items.last().text = m_data.ResolveField(e.field, e.format);
        break;
    case ElementKind::Drawing:
        CheckOverflow(AdjustY(e.y2) + m_flow, index);
        m_items.last().text = QString::number(m_data.request().record);
        break;
    case ElementKind::End:
        flowAdvance(index, y1);
        break;
    case ElementKind::None:
        break;
    }
}

bool ReportLayout::isExemptSection(int section) const
{
    if (section <= 0 || section >= m_def.sections.size())
        return false;
    const QString &name = m_def.sections[section].name;
    return name == u"FUSS" || name == u"SEITE1" || name.startsWith(u"KOPF");
}

void ReportLayout::CheckOverflow(double bottom, int index)
{
    if (static_cast<float>(bottom) < m_def.footerTop || isExemptSection(m_def.elements[index].section))
        return;
    m_items.last().makeInert();
    StartNewPage();
    LayoutHeaderFooter();
    while (continuationsPending()) {
        StartNewPage();
        LayoutHeaderFooter();
    }
    RecordPageItem(index);
}

void ReportLayout::flowAdvance(int index, double y1)
{
    const ReportElement &e = m_def.elements[index];
    const int growFlag = roundedInt(AdjustX(e.x1));
    if (continuationsPending() && m_continuations.front().page > m_page) {
        m_items.last().makeInert();
        while (continuationsPending()) {
            StartNewPage();
            LayoutHeaderFooter();
        }
        RecordPageItem(index);
        y1 = AdjustY(e.y1) + m_flow;
    }
    if (growFlag != 0 && static_cast<float>(y1 - m_flow) < m_memoGrowth)
        m_flow += m_memoGrowth;
    else
        m_flow = y1;
    m_memoGrowth = 0;
}

void ReportLayout::AddContinuation(int index, const QString &text)
{
    ReportElement continuation = m_def.elements[index];
    continuation.text = text;
    continuation.page = m_page + 1;
    continuation.sourceElement = index;
    continuation.memoOffset = m_memoGrowth;
    m_continuations.push_back(continuation);
}

void ReportLayout::layoutMemo(const ReportElement &element, int index, bool continuation)
{
    if (continuation) {
        m_flow = m_flow - element.y1 + kContinuationGap;
        recordItem(element);
    } else {
        m_items.last().flow = m_flow;
    }
    const double inset = element.align != 0 ? kMemoInset : 0;
    const double left = AdjustX(element.x1) + inset;
    const double right = AdjustX(element.x2) - inset;
    const double top = AdjustY(element.y1) + m_flow + inset;
    const QString text = continuation ? element.text : m_data.ResolveField(element.field, element.format);

    // Body memos stop above the footer and go on on the next page; a memo
    // of the header or the footer keeps to the page and its own box, or it
    // would start again on every page.
    const bool carriesOn = !isExemptSection(element.section);
    double limit = m_def.footerTop;
    if (!carriesOn)
        limit = std::max(limit, AdjustY(element.y2) + m_flow - inset);

    const FontMeasure font(reportFont(element.font, element.style, element.size));
    const double lineHeight = font.lineHeight();
    const double available = (limit - top - kMemoInset) * TwipsPerCm;
    const int lines = available > 0 && lineHeight > 0 ? static_cast<int>(std::floor(available) / lineHeight) : 0;
    // A line that would only partly show is not drawn.
    const double clipHeight = lines * lineHeight - 1;
    const int fitting = clipHeight < lineHeight ? 0 : static_cast<int>(std::floor(clipHeight / lineHeight));

    const WrappedText wrapped(text, font, (right - left) * TwipsPerCm);
    const int placed = std::min<int>(fitting, static_cast<int>(wrapped.lines().size()));
    m_items.last().text = text.left(wrapped.charactersOfLines(placed));
    if (placed < wrapped.lines().size() && carriesOn) {
        const QString rest = wrapped.restFrom(placed);
        // Text that finds no room even at the top of a fresh page could
        // never be printed; it must not hold the run up.
        if (!rest.isEmpty() && !(continuation && placed == 0))
            AddContinuation(index, rest);
    }
    const double bottom = top + placed * lineHeight / TwipsPerCm;
    m_memoGrowth = std::max(m_memoGrowth, static_cast<float>(bottom - m_flow));
}

bool ReportLayout::EvaluateFilter() const
{
    const QString left = m_data.ResolveField(m_filter.field, QString()).toUpper().trimmed();
    const QString right = m_filter.value.toUpper().trimmed();
    const bool numeric = core::shortestText(core::leadingNumber(right)) == right;
    int order = 0;
    if (numeric) {
        const double l = core::leadingNumber(left);
        const double r = core::leadingNumber(right);
        order = l < r ? -1 : (l > r ? 1 : 0);
    } else {
        order = left.compare(right);
    }
    switch (m_filter.op) {
    case 1: return order == 0;
    case 2: return order >= 0;
    case 3: return order > 0;
    case 4: return order <= 0;
    case 5: return order < 0;
    case 6: return order != 0;
    case 7: return left.startsWith(right, Qt::CaseInsensitive);
    case 8: return left.contains(right, Qt::CaseInsensitive);
    case 9: return !left.startsWith(right, Qt::CaseInsensitive);
    case 10: return !left.contains(right, Qt::CaseInsensitive);
    default: return false;
    }
}

void ReportLayout::recordGridHeader(const ReportElement &cell, double x1, double y1, double x2, double y2,
                                    double rowHeight)
{
    ReportElement line = cell;
    line.command = QStringLiteral("RECT");
    line.kind = ElementKind::Rect;
    line.lineWidth = 0;
    line.align = 0;
    line.extra = 0;
    line.text.clear();
    auto rect = [&](double a, double b, double c, double d) {
        line.x1 = a;
        line.y1 = b;
        line.x2 = c;
        line.y2 = d;
        recordItem(line).flow = 0;
    };
    // The frame goes with the header row, so that every page is closed alike.
    rect(x1, y1, x2, y2);
    rect(x1, y1, x2, y1 + rowHeight);

    ReportElement caption = cell;
    caption.align = 2;
    caption.y1 = y1 + 0.1;
    caption.y2 = y1 + rowHeight;
    for (const GridColumnBox &column : std::as_const(m_gridColumns)) {
        caption.x1 = column.start;
        caption.x2 = column.end;
        caption.text = column.caption;
        recordItem(caption).flow = 0;
    }
    for (int i = 0; i + 1 < m_gridColumns.size(); ++i) {
        const double boundary = m_gridColumns[i].end + twipsToCm(kGridGap / 2);
        rect(boundary, y1, boundary, y2);
    }
}

void ReportLayout::layoutGrid(const ReportElement &element, double x1, double y1)
{
    // A header repeated on a new page brings its grid along; the rows are
    // printed once.
    if (m_gridBusy || m_gridDone || !m_grid)
        return;
    m_gridBusy = true;
    const double x2 = AdjustX(element.x2);
    const double y2 = AdjustY(element.y2) + m_flow;

    QString style;
    for (QChar c : element.style.toUpper()) {
        if (c == u'F' || c == u'I' || c == u'U')
            style += c;
    }
    ReportElement cell = element;
    cell.command = QStringLiteral("CT");
    cell.kind = ElementKind::Text;
    cell.font = QStringLiteral("Times New Roman");
    cell.style = style;
    cell.field.clear();
    cell.format.clear();
    const FontMeasure font(reportFont(cell.font, style, element.size, false));
    const double rowHeight = twipsToCm(font.lineHeight()) + 0.1;

    m_gridColumns.clear();
    const QList<GridColumn> columns = m_grid->columns();
    const double gridWidth = cmToTwips(x2 - x1);
    double running = 0;
    for (int c = 1; c < columns.size(); ++c) {
        const GridColumn &column = columns[c];
        if (column.width <= 0)
            continue;
        double width = column.width;
        const double before = running;
        running += width + kGridGap;
        const bool cut = running > gridWidth;
        if (cut)
            width = gridWidth - before - kGridGap;
        if (width > 0) {
            const double start = x1 + twipsToCm(before + kGridGap);
            m_gridColumns.append({c, column.caption, start, start + twipsToCm(width), column.alignment});
        }
        if (cut)
            break;
    }

    // Every page holds as many rows as the first: the rows always start
    // below the header at the grid's own top. At least one, as a grid too
    // low for any row still prints each row on a page of its own.
    long perPage = 0;
    for (double rowTop = y1 + rowHeight; rowTop + rowHeight <= y2 + 1e-9; rowTop += rowHeight)
        ++perPage;
    perPage = std::max(perPage, 1L);
    m_gridCell = cell;
    m_gridRowsTop = y1 + rowHeight;
    m_gridRowHeight = rowHeight;

    recordGridHeader(cell, x1, y1, x2, y2, rowHeight);
    for (long row = 0; row < m_gridRows; row += perPage) {
        if (row > 0) {
            StartNewPage();
            LayoutHeaderFooter();
            m_flow = 0;
            recordGridHeader(cell, x1, y1, x2, y2, rowHeight);
        }
        m_gridBands.push_back({m_page, row, std::min(m_gridRows, row + perPage)});
    }
    m_gridBusy = false;
    m_gridDone = true;
}

void ReportLayout::forEachExtra(int page, const std::function<void(const ReportElement &)> &item) const
{
    const auto band = std::lower_bound(m_gridBands.begin(), m_gridBands.end(), page,
                                       [](const GridBand &b, int p) { return b.page < p; });
    if (band == m_gridBands.end() || band->page != page || !m_grid)
        return;
    ReportElement cell = m_gridCell;
    cell.page = page;
    cell.flow = 0;
    // The same steps as the rows were counted with, so each lands where it was planned.
    double rowTop = m_gridRowsTop;
    for (long row = band->firstRow; row < band->endRow; ++row) {
        if (!m_grid->moveToRow(row))
            return;
        cell.y1 = rowTop + 0.1;
        cell.y2 = rowTop + m_gridRowHeight;
        for (const GridColumnBox &column : m_gridColumns) {
            cell.x1 = column.start;
            cell.x2 = column.end;
            switch (column.alignment) {
            case 0:
                cell.align = 0;
                cell.x1 += kGridIndent;
                break;
            case 1:
            case 2:
                cell.align = static_cast<std::int16_t>(column.alignment);
                break;
            default:
                cell.align = 0;
                break;
            }
            cell.text = m_grid->cellText(column.source);
            item(cell);
        }
        rowTop += m_gridRowHeight;
    }
}

} // namespace report
