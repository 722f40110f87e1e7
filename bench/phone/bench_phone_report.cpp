// The damage report of a case with twenty 12 MP phone photos (about 4 MB
// each) among its further attachments and a 10-page PDF estimate, written
// as PDF, against a plain program that decodes the twenty photos and draws
// them two a page into a PDF, in the same run. Prints the best of three runs
// of each, their ratio and the written file's size. With a path as argument
// the case's database is left there, to be opened by the program, and its
// report beside it (path.pdf).

#include "attachments/AttachmentList.h"
#include "attachments/AttachmentStore.h"
#include "attachments/Intake.h"

#include "report/ControlPictureSource.h"
#include "report/ReportJob.h"

#include "varnholt/ControlLibrary.h"
#include "varnholt/Schema.h"

#include "core/GermanLocale.h"
#include "dao/Dao.h"

#include "BestOf.h"
#include "CarPhoto.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>

#include <cstdio>

namespace {

constexpr int kPhotos = 20;

QStringList makePhotos(const QTemporaryDir &dir)
{
    QStringList paths;
    for (int n = 0; n < kPhotos; ++n) {
        const QString path = dir.filePath(QStringLiteral("IMG_%1.jpg").arg(4711 + n));
        QImageWriter writer(path, "jpeg");
        writer.setQuality(95);
        writer.write(carPhoto(4000, 3000));
        paths << path;
    }
    return paths;
}

QString makeEstimate(const QTemporaryDir &dir)
{
    const QString path = dir.filePath(QStringLiteral("Kostenvoranschlag.pdf"));
    QPdfWriter writer(path);
    writer.setResolution(300);
    QPainter painter(&writer);
    painter.setFont(QFont(QStringLiteral("Arial"), 10));
    for (int page = 1; page <= 10; ++page) {
        if (page > 1)
            writer.newPage();
        painter.drawText(QPointF(200, 300), QStringLiteral("Kostenvoranschlag Seite %1 von 10").arg(page));
        for (int line = 0; line < 40; ++line) {
            painter.drawText(QPointF(200, 450 + line * 60),
                             QStringLiteral("Pos. %1  Stoßfänger lackieren, Arbeitszeit und Material  %2,00 €")
                                 .arg(line + 1)
                                 .arg(40 + line * 7));
            painter.drawLine(QPointF(200, 470 + line * 60), QPointF(2200, 470 + line * 60));
        }
    }
    return path;
}

long storeCase(dao::Database &db, const QStringList &photos, const QString &estimate)
{
    db.Execute(QStringLiteral("INSERT INTO Schaden (ID, Schadennummer, EigenKZ, Schadenart, Schadenbeschreibung) "
                              "VALUES (1, '1/2026', 'B-VH 1', 'Einzelschaden', 'Kratzer und Delle hinten links')"));
    attachments::AttachmentList list;
    list.reset({});
    QStringList all = photos;
    all << estimate;
    for (const QString &path : all) {
        attachments::Intake intake = attachments::takeIn({path, QFileInfo(path).fileName(), {}, {}});
        if (!intake.item)
            qFatal("%s", qPrintable(intake.refusal));
        list.append(std::move(*intake.item));
    }
    const std::unique_ptr<kelvane::IAttachmentWriter> writer =
        varnholt::ControlLibrary::program().attachmentWriter(&db);
    if (!writer)
        qFatal("no libkelvane beside the benchmark");
    dao::Transaction tx(db);
    attachments::AttachmentStore(db, writer.get()).write(1, list);
    tx.commit();
    return 1;
}

qint64 damageReport(dao::Database &db, long caseId, const QString &pdf)
{
    const report::PrintRequest request{report::PrintKindCase, caseId, {}, false, nullptr};
    QString message;
    const std::optional<QString> definition =
        report::ReportJob::definitionText(request, QCoreApplication::applicationDirPath(), &message);
    if (!definition)
        qFatal("%s", qPrintable(message));
    report::ControlPictureSource pictures(db);
    report::ReportJob job(&db, request, *definition, QPageSize(QPageSize::A4), &pictures);
    job.layout();
    if (!job.writePdf(pdf, &message))
        qFatal("%s", qPrintable(message));
    return QFileInfo(pdf).size();
}

// What any program must do at least: decode each photo and draw it, two a page.
void plain(const QStringList &photos, const QString &pdf)
{
    QPdfWriter writer(pdf);
    writer.setResolution(1200);
    QPainter painter(&writer);
    const double cm = 1200 / 2.54;
    for (int n = 0; n < photos.size(); ++n) {
        if (n > 0 && n % 2 == 0)
            writer.newPage();
        QImageReader reader(photos[n]);
        reader.setAutoTransform(true);
        const QImage photo = reader.read();
        const QRectF box(1.9 * cm, (n % 2 == 0 ? 3.7 : 15.8) * cm, 17.2 * cm, 10.8 * cm);
        const QSizeF size = QSizeF(photo.size()).scaled(box.size(), Qt::KeepAspectRatio);
        painter.drawImage(QRectF(box.topLeft(), size), photo);
    }
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    core::applyGermanLocaleDefault();
    QTemporaryDir dir;
    const QStringList photos = makePhotos(dir);
    qint64 photoBytes = 0;
    for (const QString &photo : photos)
        photoBytes += QFileInfo(photo).size();
    const QString estimate = makeEstimate(dir);

    dao::OpenOptions create;
    create.create = true;
    const QString path = argc > 1 ? QString::fromLocal8Bit(argv[1]) : dir.filePath(QStringLiteral("bench.db"));
    auto db = dao::DBEngine::instance().Workspaces().OpenDatabase(path, create);
    varnholt::createSchema(*db);
    const long caseId = storeCase(*db, photos, estimate);

    const QString report = argc > 1 ? path + QStringLiteral(".pdf") : dir.filePath(QStringLiteral("bericht.pdf"));
    qint64 written = 0;
    const std::vector<double> best = bestOfEach(3, {
        [&] { written = damageReport(*db, caseId, report); },
        [&] { plain(photos, dir.filePath(QStringLiteral("plain.pdf"))); },
    });
    std::printf("photos: %d, %.1f MB on average; estimate: 10 pages\n", kPhotos, photoBytes / 1e6 / kPhotos);
    std::printf("damage report: %.0f ms, %.2f MB written (limit 10 MB)\n", best[0], written / 1e6);
    std::printf("plain decode and draw: %.0f ms\n", best[1]);
    std::printf("ratio report / plain: %.2f (limit 1.0)\n", best[0] / best[1]);
    return 0;
}
