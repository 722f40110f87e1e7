#pragma once

#include "report/AttachmentSource.h"
#include "report/PageItems.h"
#include "report/PageRenderer.h"
#include "report/PrintRequest.h"
#include "report/ReportData.h"
#include "report/ReportDefinition.h"

#include <QList>
#include <QPageLayout>
#include <QPageSize>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

class QPainter;

namespace dao {
class Database;
}

namespace report {

class ReportLayout;

// One report from request to pages: the definition the request calls for,
// parsed, laid out on its sheet with its data, and drawn page by page.
class ReportJob {
public:
    // The definition text of a request: the list template with its subtitle,
    // or Protokoll.def from programFolder (read whole, as bytes). Nothing
    // and the message to show when the file is missing or unreadable.
    // Where a single case's definition lies: Protokoll.def in programFolder.
    static QString definitionFile(const QString &programFolder);
    static std::optional<QString> definitionText(const PrintRequest &request, const QString &programFolder,
                                                 QString *message);
    // The list is printed across the sheet, a single case upright.
    static QPageLayout::Orientation orientationOf(const PrintRequest &request);

    // db may be null for a list report. attachments may be null: no pictures.
    ReportJob(dao::Database *db, const PrintRequest &request, QString definition,
              QPageSize pageSize = QPageSize(QPageSize::A4), AttachmentSource *attachments = nullptr);
    ~ReportJob();

    QPageLayout pageLayout() const;
    QSizeF paperCm() const { return m_paper; }
    const ReportDefinition &definition() const { return m_definition; }
    ReportData &data() { return m_data; }
    // What the case's report shows beside its row (values, drawings); set
    // before layout(). None by default.
    void setAddition(CaseAddition *addition);

    // Told with the number of complete pages each time one is complete;
    // they can be drawn at once. Answering false stops the layout.
    using Progress = std::function<bool(int completePages)>;

    // Lays the report out; false when it did not complete. Throws
    // dao::DaoError when its case cannot be read.
    bool layout(const Progress &progress = {});
    // What the last layout run could not do, in the words to tell the user.
    QStringList layoutProblems() const;
    // The pages of a finished layout; 0 while it runs.
    int totalPages() const;
    // The pages that can be drawn: while the layout runs, those complete.
    int pagesReady() const { return m_ready; }
    // A list this long takes a moment to lay out: worth showing its first
    // pages while the rest follows.
    static constexpr long LongListRows = 10000;
    bool layoutTakesAWhile() const { return m_request.kind == PrintKindList && m_request.record > LongListRows; }

    // A list keeps the items of its first pages and its last; a page in
    // between is laid out again when it is asked for, with the pages around
    // it, so that a list of any length takes the memory of a few pages.
    static constexpr int KeptPages = 16;
    // The items the layout keeps.
    const PageItemList &keptItems() const;
    // Every item of page as it is drawn: the kept ones, then those made
    // again for each page (the list's cells). Throws dao::DaoError.
    void forEachItem(int page, const std::function<void(const ReportElement &)> &item);

    // Reads the pictures of page, before anything of it is drawn or a print
    // job is begun for it. Throws dao::DaoError when one cannot be read.
    void preparePage(int page);
    // Draws page into target, the device rectangle of the whole sheet, after
    // preparing it when that was not done. Throws dao::DaoError as preparePage.
    bool renderPage(QPainter &painter, int page, const QRectF &target, const RenderOptions &options = {});

    // The laid-out report as plain text, for the clipboard.
    QString clipText();

    // Lays the report out once more and hands each page to draw as soon as
    // it is complete, then lets it go: all pages in the memory of one. Draw
    // may render the page; answering false stops. False when stopped.
    // Throws dao::DaoError as renderPage.
    bool drawEachPage(const std::function<bool(int page)> &draw);
    // Hands the pages to draw in the order given; each rising stretch of
    // them is laid out once more as it is drawn, as drawEachPage does.
    // False when draw answered false. Throws dao::DaoError as renderPage.
    bool drawPages(const QList<int> &pages, const std::function<bool(int page)> &draw);

    // Every page as laid out into one PDF file, the sheet of pageLayout(),
    // and after them the pages of the case's attached PDF documents as they
    // are. False, with the reason, when the file cannot be written or a
    // picture cannot be read; then nothing is left behind and an earlier
    // file of that name is kept.
    bool writePdf(const QString &path, QString *message);

    // The PDF documents attached to the case, printed after its report.
    // Throws dao::DaoError.
    QList<QByteArray> attachedDocuments();

private:
    bool drawPdf(QIODevice &device);
    std::unique_ptr<ReportLayout> newRun(ReportData &data) const;
    // The run that holds page's items, laid out again around page when none does.
    const ReportLayout &layoutHolding(int page);

    dao::Database *m_db;
    PrintRequest m_request;
    ReportDefinition m_definition;
    ReportData m_data;
    QPageSize m_pageSize;
    QSizeF m_paper;
    PagePictures m_pictures;
    std::unique_ptr<ReportLayout> m_layout;
    // A page let go by m_layout, laid out again with those around it, on data of its own.
    std::unique_ptr<ReportData> m_againData;
    std::unique_ptr<ReportLayout> m_again;
    const ReportLayout *m_streaming = nullptr;
    std::unique_ptr<PageRenderer> m_renderer;
    int m_ready = 0;
    CaseAddition *m_addition = nullptr;
};

} // namespace report
