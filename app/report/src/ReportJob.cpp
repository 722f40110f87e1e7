#include "report/ReportJob.h"

#include "report/ClipText.h"
#include "report/GridSource.h"
#include "report/ReportLayout.h"
#include "report/TextMeasure.h"

#include "dao/Error.h"

#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QPdfWriter>

namespace report {

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
    : m_request(request)
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

QPageLayout ReportJob::pageLayout() const
{
    return QPageLayout(m_pageSize, orientationOf(m_request), QMarginsF(0, 0, 0, 0));
}

bool ReportJob::layout()
{
    m_renderer.reset();
    m_layout = std::make_unique<ReportLayout>(m_definition, m_data, m_paper);
    m_layout->setGrid(m_request.grid, m_request.kind == PrintKindList ? m_request.record : 0);
    const bool done = m_layout->ReadIt();
    m_renderer = std::make_unique<PageRenderer>(m_layout->pageItems(), m_layout->totalPages(), m_paper,
                                                &m_pictures);
    return done;
}

int ReportJob::totalPages() const { return m_layout ? m_layout->totalPages() : 0; }

const PageItemList &ReportJob::pageItems() const
{
    static const PageItemList none;
    return m_layout ? m_layout->pageItems() : none;
}

void ReportJob::preparePage(int page)
{
    if (!m_layout || page < 1 || page > totalPages())
        return;
    const auto [first, end] = pageItems().pageRange(page);
    m_pictures.prepare(pageItems(), first, end, page);
}

bool ReportJob::renderPage(QPainter &painter, int page, const QRectF &target, const RenderOptions &options)
{
    if (!m_renderer)
        return false;
    if (m_pictures.preparedPage() != page)
        preparePage(page);
    return m_renderer->RenderPage(painter, page, target, options);
}

QString ReportJob::clipText()
{
    if (m_request.kind == PrintKindList)
        return m_request.grid ? listClipText(*m_request.grid) : QString();
    return caseClipText(pageItems(), m_definition, m_data);
}

bool ReportJob::writePdf(const QString &path, QString *message)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        if (message)
            *message = QStringLiteral("Die Datei ") + path + QStringLiteral(" kann nicht geschrieben werden: ") +
                       file.errorString();
        return false;
    }
    try {
        QPdfWriter writer(&file);
        writer.setResolution(1200);
        writer.setPageLayout(pageLayout());
        writer.setCreator(QStringLiteral("Varnholt"));
        writer.setTitle(m_request.kind == PrintKindList ? QStringLiteral("Schadensmeldungen")
                                                        : QStringLiteral("Schadensbericht"));
        QPainter painter(&writer);
        const QRectF sheet(0, 0, writer.width(), writer.height());
        for (int page = 1; page <= totalPages(); ++page) {
            if (page > 1)
                writer.newPage();
            renderPage(painter, page, sheet);
        }
        painter.end();
    } catch (const dao::DaoError &error) {
        // A report without its pictures is no report: nothing is left behind.
        file.close();
        file.remove();
        if (message)
            *message = QStringLiteral("Fehler beim Drucken: ") + error.description();
        return false;
    }
    file.close();
    if (file.error() != QFileDevice::NoError) {
        if (message)
            *message = QStringLiteral("Die Datei ") + path + QStringLiteral(" kann nicht geschrieben werden: ") +
                       file.errorString();
        return false;
    }
    return true;
}

} // namespace report
