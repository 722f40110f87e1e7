#include "report/ReportJob.h"

#include "report/ClipText.h"
#include "report/FurtherAttachments.h"
#include "report/PdfAppendix.h"
#include "report/GridSource.h"
#include "report/ReportLayout.h"
#include "report/TextMeasure.h"

#include "dao/Error.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <QScopeGuard>

namespace report {
namespace {

// Why a file cannot even be started, in the user's words where the cause is plain.
QString openFailure(const QString &path, const QString &systemText)
{
    const QFileInfo folder(QFileInfo(path).absolutePath());
    if (!folder.isDir())
        return QStringLiteral("Den Ordner ") + folder.filePath() + QStringLiteral(" gibt es nicht.");
    if (QFileInfo(path).isDir())
        return QStringLiteral("Unter diesem Namen liegt ein Ordner.");
    return QStringLiteral("Der Ordner ") + folder.filePath() + QStringLiteral(" nimmt keine Dateien an (") + systemText +
           QStringLiteral(").");
}

} // namespace

QString ReportJob::definitionFile(const QString &programFolder)
{
    QString folder = programFolder;
    if (!folder.endsWith(u'/'))
        folder += u'/';
    return folder + QStringLiteral("Protokoll.def");
}

std::optional<QString> ReportJob::definitionText(const PrintRequest &request, const QString &programFolder,
                                                 QString *message)
{
    if (request.kind == PrintKindList)
        return listTemplate(request.subtitle);
    const QString path = definitionFile(programFolder);
    if (!QFileInfo(path).isFile()) {
        if (message)
            *message = QStringLiteral("Die Protokolldatei liegt nicht im Pfad: ") + path;
        return std::nullopt;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (message)
            *message = QStringLiteral("Fehler beim Drucken: ") + file.errorString();
        return std::nullopt;
    }
    return decodeDefinitionFile(file.readAll());
}

QPageLayout::Orientation ReportJob::orientationOf(const PrintRequest &request)
{
    return request.kind == PrintKindList ? QPageLayout::Landscape : QPageLayout::Portrait;
}

ReportJob::ReportJob(dao::Database *db, const PrintRequest &request, QString definition, QPageSize pageSize,
                     AttachmentSource *attachments)
    : m_db(db)
    , m_request(request)
    , m_data(db, request)
    , m_pageSize(std::move(pageSize))
    , m_pictures(attachments)
{
    const QRectF sheet = pageLayout().fullRect(QPageLayout::Millimeter);
    m_paper = QSizeF(sheet.width() / 10, sheet.height() / 10);
    ParseReportDefinition(definition, m_definition);
    // Without a footer of its own the body may use the whole sheet.
    if (m_definition.footerTop == 0)
        m_definition.footerTop = static_cast<float>(m_paper.height());
}

ReportJob::~ReportJob() = default;

void ReportJob::setAddition(CaseAddition *addition)
{
    m_addition = addition;
    m_data.setAddition(addition);
}

QPageLayout ReportJob::pageLayout() const
{
    return QPageLayout(m_pageSize, orientationOf(m_request), QMarginsF(0, 0, 0, 0));
}

std::unique_ptr<ReportLayout> ReportJob::newRun(ReportData &data) const
{
    data.setAddition(m_addition);
    auto run = std::make_unique<ReportLayout>(m_definition, data, m_paper);
    run->setGrid(m_request.grid, m_request.kind == PrintKindList ? m_request.record : 0);
    return run;
}

bool ReportJob::layout(const Progress &progress)
{
    m_renderer.reset();
    m_again.reset();
    m_ready = 0;
    m_layout = newRun(m_data);
    // A case's few pages are kept whole: the clipboard text reads them all.
    if (m_request.kind == PrintKindList)
        m_layout->setKeptPages(1, KeptPages);
    // Pages are drawn from the items as they are laid out, also before the end.
    m_renderer = std::make_unique<PageRenderer>(m_layout->pageItems(), 0, m_paper, &m_pictures, m_layout.get());
    m_renderer->setAddition(m_addition);
    if (progress) {
        m_layout->setPageObserver([this, &progress](int pages) {
            m_ready = pages;
            m_renderer->setTotalPages(pages);
            return progress(pages);
        });
    }
    const bool done = m_layout->ReadIt();
    m_layout->setPageObserver({});
    m_ready = m_layout->totalPages();
    m_renderer->setTotalPages(m_ready);
    return done;
}

QStringList ReportJob::layoutProblems() const { return m_layout ? m_layout->problems() : QStringList(); }

int ReportJob::totalPages() const { return m_layout ? m_layout->totalPages() : 0; }

const PageItemList &ReportJob::keptItems() const
{
    static const PageItemList none;
    return m_layout ? m_layout->pageItems() : none;
}

const ReportLayout &ReportJob::layoutHolding(int page)
{
    if (m_streaming && m_streaming->holdsPage(page))
        return *m_streaming;
    if (page < 1 || page > m_ready || m_layout->holdsPage(page))
        return *m_layout;
    if (m_again && m_again->holdsPage(page))
        return *m_again;
    // Laid out again from the start; going on is likelier than going back,
    // so most of the pages kept follow page.
    m_again.reset();
    m_againData = std::make_unique<ReportData>(m_db, m_request);
    m_again = newRun(*m_againData);
    const int first = std::max(1, page - KeptPages / 4);
    const int last = first + KeptPages - 1;
    m_again->setKeptPages(first, KeptPages);
    m_again->setPageObserver([last](int pages) { return pages < last; });
    m_again->ReadIt();
    m_again->setPageObserver({});
    return *m_again;
}

void ReportJob::forEachItem(int page, const std::function<void(const ReportElement &)> &item)
{
    if (!m_layout)
        return;
    const ReportLayout &run = layoutHolding(page);
    const auto [first, end] = run.pageItems().pageRange(page);
    for (int i = first; i < end; ++i)
        item(run.pageItems().at(i));
    run.forEachExtra(page, item);
}

void ReportJob::preparePage(int page)
{
    if (!m_layout || page < 1 || page > m_ready)
        return;
    const PageItemList &items = layoutHolding(page).pageItems();
    const auto [first, end] = items.pageRange(page);
    m_pictures.prepare(items, first, end, page,
                       [this](const ReportElement &item) { return m_renderer->pictureBound(item); });
}

bool ReportJob::renderPage(QPainter &painter, int page, const QRectF &target, const RenderOptions &options)
{
    if (!m_renderer)
        return false;
    if (m_pictures.preparedPage() != page)
        preparePage(page);
    // Asked for after preparing, which may have laid the page out again.
    const ReportLayout &run = layoutHolding(page);
    m_renderer->setPages(run.pageItems(), &run);
    return m_renderer->RenderPage(painter, page, target, options);
}

bool ReportJob::drawEachPage(const std::function<bool(int page)> &draw)
{
    const int total = totalPages();
    int held = 0;
    while (held < total && m_layout->holdsPage(held + 1))
        ++held;
    // A report kept whole (a case's few pages) is drawn from what is kept.
    if (held == total) {
        for (int page = 1; page <= total; ++page) {
            if (!draw(page))
                return false;
        }
        return true;
    }
    ReportData data(m_db, m_request);
    const std::unique_ptr<ReportLayout> run = newRun(data);
    run->setKeptPages(1, 0);
    // Pages beyond the total the page count items show are not drawn.
    bool going = true;
    run->setPageObserver([&](int pages) {
        going = pages <= total && draw(pages);
        return going;
    });
    m_streaming = run.get();
    const auto streamed = qScopeGuard([this] { m_streaming = nullptr; });
    if (run->ReadIt() && run->totalPages() <= total)
        going = draw(run->totalPages());
    return going;
}

bool ReportJob::drawPages(const QList<int> &pages, const std::function<bool(int page)> &draw)
{
    for (qsizetype first = 0; first < pages.size();) {
        qsizetype end = first + 1;
        while (end < pages.size() && pages[end] > pages[end - 1])
            ++end;
        if (end - first == 1) {
            if (!draw(pages[first]))
                return false;
            first = end;
            continue;
        }
        // The run stops once the stretch's last page is drawn.
        qsizetype next = first;
        bool drawn = true;
        drawEachPage([&](int page) {
            if (page == pages[next]) {
                drawn = draw(page);
                ++next;
            }
            return drawn && next < end;
        });
        if (!drawn)
            return false;
        // Pages the run did not reach (beyond its last) are drawn as they are asked for.
        for (; next < end; ++next) {
            if (!draw(pages[next]))
                return false;
        }
        first = end;
    }
    return true;
}

QString ReportJob::clipText()
{
    if (m_request.kind == PrintKindList)
        return m_request.grid ? listClipText(*m_request.grid) : QString();
    return caseClipText(keptItems(), m_definition, m_data);
}

bool ReportJob::writePdf(const QString &path, QString *message)
{
    // Written beside the file and renamed over it at the end, so that a
    // failure leaves neither half a file nor a spoilt earlier one.
    QSaveFile file(path);
    const auto refuse = [&](const QString &reason) {
        file.cancelWriting();
        if (message)
            *message = QStringLiteral("Die Datei ") + path + QStringLiteral(" kann nicht geschrieben werden: ") + reason;
        return false;
    };
    if (!file.open(QIODevice::WriteOnly))
        return refuse(openFailure(path, file.errorString()));
    try {
        const QList<QByteArray> documents = attachedDocuments();
        if (documents.isEmpty()) {
            if (!drawPdf(file))
                return refuse(QStringLiteral("Die Seiten lassen sich nicht zeichnen."));
        } else {
            QBuffer own;
            own.open(QIODevice::WriteOnly);
            if (!drawPdf(own))
                return refuse(QStringLiteral("Die Seiten lassen sich nicht zeichnen."));
            const Appended merged = appendPdfPages(own.data(), documents);
            if (merged.pdf.isEmpty())
                return refuse(QStringLiteral("Die angehängten PDF-Dokumente lassen sich nicht anfügen (") + merged.error
                              + QStringLiteral(")."));
            file.write(merged.pdf);
        }
    } catch (const dao::DaoError &error) {
        // A report without its pictures is no report: nothing is left behind.
        file.cancelWriting();
        if (message)
            *message = QStringLiteral("Fehler beim Drucken: ") + error.description();
        return false;
    }
    if (file.error() != QFileDevice::NoError)
        return refuse(file.errorString());
    if (!file.commit())
        return refuse(file.errorString());
    return true;
}

bool ReportJob::drawPdf(QIODevice &device)
{
    QPdfWriter writer(&device);
    writer.setResolution(1200);
    writer.setPageLayout(pageLayout());
    writer.setCreator(QStringLiteral("Varnholt"));
    writer.setTitle(m_request.kind == PrintKindList ? QStringLiteral("Schadensmeldungen")
                                                    : QStringLiteral("Schadensbericht"));
    QPainter painter(&writer);
    const QRectF sheet(0, 0, writer.width(), writer.height());
    const bool drawn = drawEachPage([&](int page) {
        if (page > 1)
            writer.newPage();
        return renderPage(painter, page, sheet);
    });
    return painter.end() && drawn;
}

QList<QByteArray> ReportJob::attachedDocuments()
{
    if (m_request.kind != PrintKindCase || !m_db)
        return {};
    return attachedPdfs(*m_db, m_request.record);
}

} // namespace report
