// The list report of 10,000 cases, laid out and drawn into a PDF, against
// plain QPainter drawing the same texts at the same places into a PDF in the
// same run. Prints the best of three runs of each, their ratio and the
// memory the kept page items take per row of the list.

#include "report/GridSource.h"
#include "report/ReportJob.h"

#include "list/ListStatement.h"
#include "list/SortState.h"

#include "varnholt/DemoData.h"
#include "varnholt/Schema.h"

#include "core/GermanLocale.h"
#include "dao/Dao.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

namespace {

constexpr int kCases = 10000;

QList<report::GridColumn> columns()
{
    const int widths[] = {600, 1000, 900, 2000, 6500, 700, 1200, 600};
    const char *captions[] = {"Nr", "Auto", "Datum", "Kunde", "Schaden", "Erledigt", "Reparatur", "Bilder"};
    QList<report::GridColumn> list{{QStringLiteral("ID"), 0, 0}};
    for (int n = 0; n < 8; ++n)
        list.append({QString::fromLatin1(captions[n]), double(widths[n]), (n == 2 || n == 5 || n == 7) ? 2 : 0});
    return list;
}

struct Run {
    qint64 ms = 0;
    int pages = 0;
    int items = 0;
    int texts = 0;
    qint64 itemBytes = 0;
};

Run listReport(dao::Database &db, const QString &pdf, QList<report::ReportElement> *texts)
{
    QElapsedTimer timer;
    timer.start();
    const list::ListStatement statement = list::buildListStatement({}, list::SortState());
    report::QueryGridSource grid(db, statement.text, statement.params, columns());
    const report::PrintRequest request{report::PrintKindList, grid.rowCount(),
                                       report::listSubtitle(QStringLiteral("Alle"), QStringLiteral("Alle"),
                                                            QStringLiteral("Alle")),
                                       false, &grid};
    report::ReportJob job(&db, request, *report::ReportJob::definitionText(request, QString(), nullptr));
    job.layout();
    QString message;
    if (!job.writePdf(pdf, &message))
        std::fprintf(stderr, "%s\n", qPrintable(message));
    Run run;
    run.ms = timer.elapsed();
    run.pages = job.totalPages();
    run.items = job.keptItems().count();
    run.itemBytes = job.keptItems().memoryBytes();
    const auto count = [&](const report::ReportElement &e) {
        if (e.kind == report::ElementKind::Text || e.kind == report::ElementKind::Field) {
            ++run.texts;
            if (texts)
                texts->append(e);
        }
    };
    for (int page = 1; page <= job.totalPages(); ++page)
        job.forEachItem(page, count);
    return run;
}

// The same texts at the same places in the same font, drawn one by one.
qint64 plain(const QList<report::ReportElement> &texts, const QString &pdf)
{
    QElapsedTimer timer;
    timer.start();
    QFile file(pdf);
    file.open(QIODevice::WriteOnly | QIODevice::Truncate);
    QPdfWriter writer(&file);
    writer.setResolution(1200);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape, QMarginsF()));
    QPainter painter(&writer);
    const double scale = 1200.0 / 1440.0;
    painter.scale(scale, scale);
    QFont font(QStringLiteral("Times New Roman"));
    font.setPixelSize(160);
    painter.setFont(font);
    int page = 1;
    for (const report::ReportElement &e : texts) {
        if (e.page != page) {
            writer.newPage();
            page = e.page;
        }
        painter.drawText(QPointF(e.x1 * 566.9291338583, (e.y1 + e.flow) * 566.9291338583 + 140), e.text);
    }
    painter.end();
    file.close();
    return timer.elapsed();
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    core::applyGermanLocaleDefault();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bench.db"));
    {
        dao::OpenOptions options;
        options.create = true;
        auto db = dao::DBEngine::instance().Workspaces(0).OpenDatabase(path, options);
        varnholt::createSchema(*db);
        varnholt::DemoData().addCases(*db, kCases);
        db->Close();
    }
    auto db = dao::DBEngine::instance().Workspaces(0).OpenDatabase(path);

    QList<report::ReportElement> texts;
    Run best = listReport(*db, dir.filePath(QStringLiteral("warm.pdf")), &texts);
    qint64 plainBest = plain(texts, dir.filePath(QStringLiteral("plain-warm.pdf")));
    for (int i = 0; i < 3; ++i) {
        const Run run = listReport(*db, dir.filePath(QStringLiteral("report.pdf")), nullptr);
        best.ms = std::min(best.ms, run.ms);
        plainBest = std::min(plainBest, plain(texts, dir.filePath(QStringLiteral("plain.pdf"))));
    }
    std::printf("list report of %d cases: %d pages, %d page items, %d text items\n", kCases, best.pages, best.items,
                best.texts);
    std::printf("report (statement, layout, PDF): %lld ms\n", static_cast<long long>(best.ms));
    std::printf("plain QPainter, same texts into a PDF: %lld ms\n", static_cast<long long>(plainBest));
    std::printf("ratio: %.2f (target at most 2)\n", double(best.ms) / double(std::max<qint64>(1, plainBest)));
    std::printf("kept page items: %.1f MB, %.0f bytes per row, %.0f bytes per item\n", best.itemBytes / 1048576.0,
                double(best.itemBytes) / kCases, double(best.itemBytes) / best.items);
    std::printf("PDF sizes: report %lld KB, plain %lld KB\n",
                static_cast<long long>(QFile(dir.filePath(QStringLiteral("report.pdf"))).size() / 1024),
                static_cast<long long>(QFile(dir.filePath(QStringLiteral("plain.pdf"))).size() / 1024));
    return 0;
}
