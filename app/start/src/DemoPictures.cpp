#include "varnholt/DemoPictures.h"

#include "varnholt/ControlLibrary.h"

#include "dao/Dao.h"
#include "dao/Error.h"
#include "sendral/OverlayGraphic.h"

#include <QColor>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <algorithm>

namespace varnholt {

namespace {

// A third of the cases, but no more than this many per run, so that a demo of
// a hundred thousand cases stays a database of a few hundred MB.
constexpr int kMostPicturedCases = 200;
// Every this many photos one carries an overlay, as a user annotates some.
constexpr int kAnnotateEvery = 3;

// Where a demo photo shows its damage: the dent's centre and its height
// (it is drawn 1.3 times as wide as high).
struct Damage {
    QPointF centre;
    qreal radius = 0;
};

struct Shot {
    QString plate;
    QColor paint;
    bool png;
    QSize size;
};

const QColor kPaints[] = {
    QColor(0xc8, 0xcc, 0xd0), QColor(0x1d, 0x1f, 0x24), QColor(0xf2, 0xf2, 0xee), QColor(0x2b, 0x4a, 0x8a),
    QColor(0x8e, 0x1b, 0x1e), QColor(0x5c, 0x63, 0x6b), QColor(0x2f, 0x5d, 0x3a), QColor(0xb9, 0xa2, 0x7a),
};

void drawScene(QPainter &p, const QSize &size, QRandomGenerator &rng)
{
    const int w = size.width();
    const int h = size.height();
    const int horizon = h * (38 + rng.bounded(12)) / 100;
    QLinearGradient sky(0, 0, 0, horizon);
    const bool overcast = rng.bounded(2) == 0;
    sky.setColorAt(0, overcast ? QColor(0x9a, 0xa3, 0xad) : QColor(0x5d, 0x8c, 0xc9));
    sky.setColorAt(1, overcast ? QColor(0xd4, 0xd7, 0xda) : QColor(0xc9, 0xdc, 0xee));
    p.fillRect(0, 0, w, horizon, sky);
    // A building or hedge behind the car park.
    p.fillRect(0, horizon - h / 6, w, h / 6, rng.bounded(2) ? QColor(0x7d, 0x72, 0x66) : QColor(0x3f, 0x5a, 0x36));
    QLinearGradient ground(0, horizon, 0, h);
    ground.setColorAt(0, QColor(0x6e, 0x6e, 0x6a));
    ground.setColorAt(1, QColor(0x45, 0x45, 0x43));
    p.fillRect(0, horizon, w, h - horizon, ground);
    p.setPen(QPen(QColor(0xe8, 0xe8, 0xe0), w / 120.0));
    for (int x = -w / 4; x < w; x += w / 3)
        p.drawLine(QPointF(x + w / 8.0, horizon), QPointF(x, h));
}

Damage drawCar(QPainter &p, const QSize &size, const Shot &shot, QRandomGenerator &rng)
{
    const qreal w = size.width();
    const qreal h = size.height();
    const qreal carW = w * (0.62 + rng.bounded(20) / 100.0);
    const qreal carH = carW * 0.34;
    const qreal left = (w - carW) / 2 + (rng.bounded(int(w / 10)) - w / 20);
    const qreal bottom = h * 0.86;
    const QRectF body(left, bottom - carH * 0.62, carW, carH * 0.5);

    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 90));
    p.drawEllipse(QRectF(left - carW * 0.03, bottom - carH * 0.1, carW * 1.06, carH * 0.22));

    QPainterPath roof;
    roof.moveTo(left + carW * 0.2, body.top());
    roof.cubicTo(left + carW * 0.28, body.top() - carH * 0.5, left + carW * 0.66, body.top() - carH * 0.5,
                 left + carW * 0.8, body.top());
    roof.closeSubpath();
    QLinearGradient shine(0, body.top() - carH * 0.5, 0, body.bottom());
    shine.setColorAt(0, shot.paint.lighter(135));
    shine.setColorAt(0.5, shot.paint);
    shine.setColorAt(1, shot.paint.darker(160));
    p.setBrush(shine);
    p.drawPath(roof);
    p.drawRoundedRect(body, carH * 0.12, carH * 0.12);

    p.setBrush(QColor(0x26, 0x31, 0x3c, 220));
    QPainterPath glass;
    glass.moveTo(left + carW * 0.26, body.top() - 2);
    glass.cubicTo(left + carW * 0.31, body.top() - carH * 0.4, left + carW * 0.63, body.top() - carH * 0.4,
                  left + carW * 0.74, body.top() - 2);
    glass.closeSubpath();
    p.drawPath(glass);

    p.setBrush(QColor(0x18, 0x18, 0x18));
    const qreal wheel = carH * 0.42;
    for (const qreal cx : {left + carW * 0.2, left + carW * 0.8}) {
        p.drawEllipse(QPointF(cx, body.bottom()), wheel / 2, wheel / 2);
        p.setBrush(QColor(0xa8, 0xab, 0xb0));
        p.drawEllipse(QPointF(cx, body.bottom()), wheel / 4.5, wheel / 4.5);
        p.setBrush(QColor(0x18, 0x18, 0x18));
    }

    // Number plate, as German plates look: white, black rim, blue band.
    const QRectF plate(left + carW * 0.4, body.center().y() - carH * 0.05, carW * 0.2, carH * 0.12);
    p.setBrush(Qt::white);
    p.setPen(QPen(Qt::black, 1.5));
    p.drawRect(plate);
    p.fillRect(QRectF(plate.left(), plate.top(), plate.width() * 0.09, plate.height()), QColor(0x00, 0x33, 0x99));
    QFont font(QStringLiteral("Liberation Sans"));
    font.setBold(true);
    font.setPixelSize(qMax(6, int(plate.height() * 0.7)));
    p.setFont(font);
    p.setPen(Qt::black);
    p.drawText(plate.adjusted(plate.width() * 0.1, 0, 0, 0), Qt::AlignCenter, shot.plate);

    // The damage: a dent with scratches around it somewhere on the body.
    const QPointF hit(body.left() + body.width() * (0.08 + rng.bounded(84) / 100.0),
                      body.top() + body.height() * (0.2 + rng.bounded(60) / 100.0));
    const qreal r = carH * (0.12 + rng.bounded(15) / 100.0);
    QRadialGradient dent(hit, r);
    dent.setColorAt(0, shot.paint.darker(260));
    dent.setColorAt(0.6, shot.paint.darker(150));
    dent.setColorAt(1, QColor(0, 0, 0, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(dent);
    p.drawEllipse(hit, r * 1.3, r);
    p.setPen(QPen(shot.paint.lighter(180), 1.2));
    for (int i = 0; i < 14; ++i) {
        const QPointF from = hit + QPointF(rng.bounded(int(r * 2)) - r, rng.bounded(int(r)) - r / 2);
        p.drawLine(from, from + QPointF(r * 0.9, rng.bounded(9) - 4));
    }
    return {hit, r};
}

// Sensor grain and a slight vignette, as a camera gives them; this is also
// what makes the files the size of real photos.
void addGrain(QImage &image, QRandomGenerator &rng, int amplitude)
{
    const int w = image.width();
    const int h = image.height();
    quint32 state = rng.generate() | 1u;
    for (int y = 0; y < h; ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        const qreal dy = (y - h / 2.0) / h;
        for (int x = 0; x < w; ++x) {
            state ^= state << 13;
            state ^= state >> 17;
            state ^= state << 5;
            const qreal dx = (x - w / 2.0) / w;
            const int shade = int(-60 * (dx * dx + dy * dy));
            const int n = int(state % (2u * amplitude + 1)) - amplitude + shade;
            const QRgb c = line[x];
            line[x] = qRgb(qBound(0, qRed(c) + n, 255), qBound(0, qGreen(c) + n, 255), qBound(0, qBlue(c) + n, 255));
        }
    }
}

QImage photo(const Shot &shot, QRandomGenerator &rng, Damage &damage)
{
    QImage image(shot.size, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    drawScene(p, shot.size, rng);
    damage = drawCar(p, shot.size, shot, rng);
    p.end();
    addGrain(image, rng, shot.png ? 5 : 14);
    return image;
}

constexpr const char *kWords[] = {"Kratzer", "Delle", "Hier"};

} // namespace

DemoPictures::DemoPictures(quint32 seed) : m_seed(seed) {}

void DemoPictures::attach(dao::Database &db, const QList<long> &caseIds)
{
    if (caseIds.isEmpty())
        return;
    QTemporaryDir folder;
    if (!folder.isValid())
        throw dao::DaoError(0, QStringLiteral("Kein temporärer Ordner für die Demo-Bilder: ") + folder.errorString());

    auto highest = db.OpenRecordset(QStringLiteral("Select Max(ID) as M From Objekt"), dao::RecordsetType::Snapshot);
    long nextId = highest->Value(QStringLiteral("M")).toLongLong() + 1;
    highest.reset();

    const std::unique_ptr<kelvane::IAttachmentWriter> storage = ControlLibrary::program().attachmentWriter(&db);
    if (!storage)
        throw dao::DaoError(0, QStringLiteral("Demo-Bilder ohne die Bibliothek %1 nicht speicherbar.")
                                   .arg(QLatin1String(ControlLibrary::FileName)));
    QRandomGenerator rng(m_seed ^ static_cast<quint32>(caseIds.first() * 40503u));
    const double share = std::min(1.0 / 3, double(kMostPicturedCases) / caseIds.size());
    int pictured = 0;
    for (const long caseId : caseIds) {
        if (pictured == kMostPicturedCases || rng.generateDouble() >= share)
            continue;
        ++pictured;
        auto row = db.OpenRecordset(QStringLiteral("Select EigenKZ From Schaden Where ID = ?"),
                                    dao::RecordsetType::Snapshot, dao::RecordsetOption::None, {qlonglong(caseId)});
        Shot shot;
        shot.plate = row->IsEOF() ? QString() : row->Value(QStringLiteral("EigenKZ")).toString();
        shot.paint = kPaints[rng.bounded(int(std::size(kPaints)))];
        const int count = 1 + rng.bounded(3);
        dao::Params ids;
        for (int i = 0; i < count; ++i) {
            shot.png = rng.bounded(4) == 0;
            shot.size = shot.png ? QSize(720, 540) : QSize(1280, 960);
            const QString file = folder.filePath(QStringLiteral("bild%1.%2").arg(nextId).arg(shot.png ? "png" : "jpg"));
            Damage damage;
            if (!photo(shot, rng, damage).save(file, nullptr, shot.png ? -1 : 88))
                throw dao::DaoError(0, QStringLiteral("Demo-Bild nicht geschrieben: ") + file);
            kelvane::Annotation annotation;
            if (m_stored % kAnnotateEvery == 0) {
                const char *word = kWords[(m_stored / kAnnotateEvery) % std::size(kWords)];
                annotation = storage->MarkDamage(shot.size, damage.centre, damage.radius, QString::fromLatin1(word));
                ++m_annotated;
            }
            if (!storage->SaveObject(nextId, file, annotation.overlay.get(), annotation.script))
                throw dao::DaoError(0, QStringLiteral("Demo-Bild nicht gespeichert: ") + file);
            QFile::remove(file);
            ids.append(qlonglong(nextId++));
            ++m_stored;
        }
        while (ids.size() < 3)
            ids.append(QVariant());
        ids.append(qlonglong(caseId));
        db.Execute(QStringLiteral("Update Schaden Set Objekt_ID_1 = ?, Objekt_ID_2 = ?, Objekt_ID_3 = ?, "
                                  "Schadenbilder = True Where ID = ?"),
                   ids);
    }
}

} // namespace varnholt
