// The attachment control with three 12 MP photos (4000 x 3000 JPEG, 3-5 MB
// each), against plain Qt doing the same work in the same run:
//  1. the case form opened until Bild 1 is painted fitted, against one plain
//     full-size QImageReader decode of that photo;
//  2. peak memory with all three picture tabs visited, against one decoded
//     full picture;
//  3. the single-case report with the three photos into a PDF, against a
//     plain program that decodes the three files and draws them into a PDF
//     page of the same size: time and file size;
//  4. a case with three one-page PDF estimates (DocumentFigures.h).

#include "BestOf.h"
#include "DocumentFigures.h"

#include "form/frmSchaden.h"
#include "report/ControlPictureSource.h"
#include "report/PrintRequest.h"
#include "report/ReportJob.h"

#include "kelvane/MapPropertyBag.h"
#include "kelvane/ObjectStorage.h"
#include "varnholt/ControlLibrary.h"
#include "varnholt/CaseList.h"
#include "varnholt/Schema.h"

#include "core/GermanLocale.h"
#include "core/MessageService.h"
#include "core/UserSettings.h"
#include "dao/Dao.h"
#include "sendral/OverlayGraphic.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>
#include <QPainter>
#include <QPdfWriter>
#include <QRandomGenerator>
#include <QTabWidget>
#include <QTemporaryDir>

#include <cstdio>

namespace {

constexpr int kWidth = 4000;
constexpr int kHeight = 3000;

// A photo-like picture: a colour gradient with fine noise that JPEG cannot
// squeeze, so that the file has the size of a real 12 MP photo.
QString makePhoto(const QString &path, quint32 seed)
{
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    QRandomGenerator random(seed);
    for (int y = 0; y < kHeight; ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < kWidth; ++x) {
            const quint32 noise = random.generate();
            const int r = (x * 200 / kWidth) + int(noise & 31);
            const int g = (y * 200 / kHeight) + int((noise >> 8) & 31);
            const int b = ((x + y) * 120 / (kWidth + kHeight)) + int((noise >> 16) & 31) + int(seed * 20 % 80);
            line[x] = qRgb(std::min(r, 255), std::min(g, 255), std::min(b, 255));
        }
    }
    QImageWriter writer(path, "jpg");
    writer.setQuality(92);
    writer.write(image);
    return path;
}

long rssKb(const char *key)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith(key))
            return line.mid(int(qstrlen(key))).trimmed().split(' ').first().toLong();
    return 0;
}

// Starts a new peak of the resident memory (Linux: clear_refs 5).
void resetPeak()
{
    QFile refs(QStringLiteral("/proc/self/clear_refs"));
    if (refs.open(QIODevice::WriteOnly))
        refs.write("5");
}

class NoList : public varnholt::CaseList {
public:
    void RefreshGrid(long) override {}
    void addVehicle(const QString &) override {}
};

QWidget *viewerOf(QWidget &form, int index)
{
    return form.findChild<QWidget *>(QStringLiteral("Ole_%1").arg(index))->findChild<QWidget *>(QStringLiteral("PictureView1"));
}

// Shows tab `index` and paints it, until its control's picture is on screen.
void paintTab(frmSchaden &form, int index)
{
    form.findChild<QTabWidget *>(QStringLiteral("tabSchaden"))->setCurrentIndex(index + 1);
    QWidget *view = viewerOf(form, index);
    for (int round = 0; round < 50 && view->property("fileName").toString().isEmpty(); ++round) {
        QApplication::processEvents();
        form.repaint();
    }
    form.repaint();
}

double plainDecode(const QString &file)
{
    return bestOf(1, [&] {
        QImageReader reader(file);
        reader.setAutoTransform(true);
        const QImage image = reader.read();
        if (image.isNull())
            std::fprintf(stderr, "plain decode failed\n");
    });
}

qint64 fileSize(const QString &path) { return QFileInfo(path).size(); }

void saveScreens(const QString &folder, frmSchaden &form, dao::Database &db, const QString &reportPdf)
{
    form.show();
    paintTab(form, 0);
    form.grab().save(folder + QStringLiteral("/bild1-fitted.png"));
    QWidget *ole = form.findChild<QWidget *>(QStringLiteral("Ole_0"));
    ole->findChild<QAction *>(QStringLiteral("SizeToFit"))->trigger();
    ole->findChild<QComboBox *>(QStringLiteral("cboZoom"))->setCurrentText(QStringLiteral("200 %"));
    QApplication::processEvents();
    form.repaint();
    form.grab().save(folder + QStringLiteral("/bild1-200.png"));

    kelvane::MapPropertyBag placed;
    std::unique_ptr<kelvane::_RAZOleCtrl> narrow(varnholt::ControlLibrary::program().create(nullptr, &placed));
    narrow->SetDatabase(&db);
    narrow->hWnd()->resize(300, 260);
    narrow->hWnd()->show();
    narrow->SetValue(2);
    QApplication::processEvents();
    narrow->hWnd()->grab().save(folder + QStringLiteral("/narrow.png"));
    QFile::remove(folder + QStringLiteral("/report.pdf"));
    QFile::copy(reportPdf, folder + QStringLiteral("/report.pdf"));
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    core::applyGermanLocaleDefault();
    core::RecordingMessageService messages;
    QTemporaryDir dir;
    qputenv("Temp", dir.path().toLocal8Bit());
    core::UserSettings::useFolder(dir.filePath(QStringLiteral("user")));
    // A cache of its own: the first opening of a case finds nothing kept.
    qputenv("XDG_CACHE_HOME", dir.filePath(QStringLiteral("cache")).toLocal8Bit());

    std::printf("Making three 12 MP photos ...\n");
    QStringList photos;
    for (quint32 n = 0; n < 3; ++n)
        photos.append(makePhoto(dir.filePath(QStringLiteral("photo%1.jpg").arg(n + 1)), n + 1));
    for (const QString &photo : photos)
        std::printf("  %s: %.2f MB\n", qPrintable(QFileInfo(photo).fileName()), fileSize(photo) / 1048576.0);

    dao::OpenOptions create;
    create.create = true;
    auto db = dao::DBEngine::instance().Workspaces().OpenDatabase(dir.filePath(QStringLiteral("bench.db")), create);
    varnholt::createSchema(*db);
    kelvane::ObjectStorage storage(db.get());
    // The second photo carries an overlay, as the annotation editor stores one.
    sendral::OverlayGraphic overlay;
    QPainter *pen = overlay.BeginDraw(nullptr, sendral::OverlayGraphic::HimetricFromPixels(kWidth, 96),
                                      sendral::OverlayGraphic::HimetricFromPixels(kHeight, 96), QString());
    pen->setRenderHint(QPainter::Antialiasing);
    pen->setPen(QPen(Qt::red, 40));
    pen->drawEllipse(QRect(1400, 900, 1400, 1000));
    pen->drawLine(600, 2600, 1500, 1800);
    pen->setFont(QFont(QStringLiteral("Liberation Sans"), 160, QFont::Bold));
    pen->drawText(QPoint(300, 2850), QStringLiteral("Kratzer"));
    overlay.EndDraw();
    for (int n = 0; n < 3; ++n)
        storage.SaveObject(n + 1, photos[n], n == 1 ? &overlay : nullptr, n == 1 ? QStringLiteral("Kratzer") : QString());
    db->Execute(QStringLiteral("INSERT INTO Schaden (ID, EigenKZ, Schadennummer, Schadenart, Objekt_ID_1, Objekt_ID_2, "
                               "Objekt_ID_3, Schadenbilder) VALUES (1, 'B-AB 1', '10/001', 'Einzelschaden', 1, 2, 3, -1)"));

    NoList list;
    QWidget owner;
    frmSchaden form(list, *db, &owner);
    form.resize(900, 700);

    // 2. Peak memory, first, before anything else was decoded in this form.
    const long before = rssKb("VmRSS:");
    resetPeak();
    form.FillSchaden(1);
    form.show();
    for (int tab = 0; tab < 3; ++tab)
        paintTab(form, tab);
    const double peakMb = (rssKb("VmHWM:") - before) / 1024.0;
    const double oneDecodedMb = kWidth * kHeight * 4 / 1048576.0;
    form.hide();

    // 1. Until Bild 1 is painted fitted, against one plain decode.
    std::vector<double> best = bestOfEach(5, {[&] {
                                                  form.FillSchaden(0);
                                                  form.FillSchaden(1);
                                                  form.show();
                                                  paintTab(form, 0);
                                                  form.hide();
                                                  form.findChild<QTabWidget *>(QStringLiteral("tabSchaden"))->setCurrentIndex(0);
                                              },
                                              [&] { plainDecode(photos[0]); }});
    const QString painted = viewerOf(form, 0)->property("fileName").toString();

    // 3. The single-case report into a PDF, against a plain program.
    const QString reportPdf = dir.filePath(QStringLiteral("report.pdf"));
    const QString plainPdf = dir.filePath(QStringLiteral("plain.pdf"));
    const std::vector<double> pdf = bestOfEach(3, {[&] {
                                                       report::requestCaseReport(1);
                                                       const report::PrintRequest request = report::PrintRequest::current();
                                                       QString message;
                                                       const auto definition = report::ReportJob::definitionText(
                                                           request, QCoreApplication::applicationDirPath(), &message);
                                                       report::ControlPictureSource pictures(*db);
                                                       report::ReportJob job(db.get(), request, definition.value_or(QString()),
                                                                             QPageSize(QPageSize::A4), &pictures);
                                                       job.layout();
                                                       if (!job.writePdf(reportPdf, &message))
                                                           std::fprintf(stderr, "%s\n", qPrintable(message));
                                                       job.data().close();
                                                   },
                                                   [&] {
                                                       QPdfWriter writer(plainPdf);
                                                       writer.setPageSize(QPageSize(QPageSize::A4));
                                                       writer.setResolution(1440);
                                                       QPainter painter(&writer);
                                                       const double cm = 1440 / 2.54;
                                                       for (int n = 0; n < 3; ++n) {
                                                           QImageReader reader(photos[n]);
                                                           reader.setAutoTransform(true);
                                                           const QImage image = reader.read();
                                                           const double left = (1.9 + 5.9 * n) * cm;
                                                           painter.drawImage(QRectF(left, 1.25 * cm, 5.4 * cm, 4.05 * cm), image);
                                                       }
                                                   }});

    std::printf("\nBild 1 painted fitted:       %8.1f ms   plain full decode: %8.1f ms   ratio %.2f (target <= 1.0)%s\n",
                best[0], best[1], best[0] / best[1], painted.isEmpty() ? "  [NOT PAINTED]" : "");
    std::printf("Peak memory, three tabs:     %8.1f MB   one decoded picture: %6.1f MB   ratio %.2f (target <= 2.5)\n",
                peakMb, oneDecodedMb, peakMb / oneDecodedMb);
    std::printf("Case report PDF:             %8.1f ms   plain program:     %8.1f ms   ratio %.2f (target <= 1.0)\n",
                pdf[0], pdf[1], pdf[0] / pdf[1]);
    std::printf("PDF size:                    %8.2f MB   plain program:     %8.2f MB   (target <= 2 MB)\n",
                fileSize(reportPdf) / 1048576.0, fileSize(plainPdf) / 1048576.0);
    benchDocuments(*db, dir.path());
    // With a folder given: what a user sees, to look at.
    if (argc > 1)
        saveScreens(QString::fromLocal8Bit(argv[1]), form, *db, reportPdf);
    if (!messages.shown.isEmpty())
        std::printf("Messages shown: %s\n", qPrintable(messages.lastText()));
    db->Close();
    return 0;
}
