#pragma once

#include "report/AttachmentSource.h"
#include "report/PageItems.h"
#include "report/PageRenderer.h"
#include "report/PrintRequest.h"
#include "report/ReportData.h"
#include "report/ReportDefinition.h"

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
    const PageItemList &pageItems() const;
    // The items made again for each page as it is drawn (the list's cells).
    const PageExtras *pageExtras() const;

    // Reads the pictures of page, before anything of it is drawn or a print
    // job is begun for it. Throws dao::DaoError when one cannot be read.
    void preparePage(int page);
    // Draws page into target, the device rectangle of the whole sheet, after
    // preparing it when that was not done. Throws dao::DaoError as preparePage.
    bool renderPage(QPainter &painter, int page, const QRectF &target, const RenderOptions &options = {});

    // The laid-out report as plain text, for the clipboard.
    QString clipText();

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

    dao::Database *m_db;
    PrintRequest m_request;
    ReportDefinition m_definition;
    ReportData m_data;
    QPageSize m_pageSize;
    QSizeF m_paper;
    PagePictures m_pictures;
    std::unique_ptr<ReportLayout> m_layout;
    std::unique_ptr<PageRenderer> m_renderer;
    int m_ready = 0;
    CaseAddition *m_addition = nullptr;
};

} // namespace report
