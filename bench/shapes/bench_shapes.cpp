// Reading an overlay script of 10,000 records and drawing its shapes into a
// 4000 x 3000 transparent picture, against a plain loop that splits the same
// text and draws the same primitives with QPainter, in the same run. Prints
// the best of five runs of each and their ratio.
//
// bench_shapes [RECORDS]

#include "BestOf.h"
#include "ShapeScripts.h"

#include "editor/GraficPainter.h"
#include "editor/OverlayScript.h"

#include <QGuiApplication>
#include <QPainter>
#include <QRandomGenerator>

#include <cmath>
#include <cstdio>

using namespace kelvane::editor;

namespace {

constexpr int kWidth = 4000;
constexpr int kHeight = 3000;

QImage blankPicture()
{
    QImage image(kWidth, kHeight, QImage::Format_ARGB32_Premultiplied);
    image.setDotsPerMeterX(3780);
    image.setDotsPerMeterY(3780);
    image.fill(Qt::transparent);
    return image;
}

double ours(const QString &script)
{
    QImage image = blankPicture();
    QPainter painter(&image);
    const OverlayScript::ReadResult read = OverlayScript::Read(script);
    for (const GraficGeometry &shape : read.shapes)
        GraficPainter::DrawToDC(shape, painter, shape.Geometry().left(), shape.Geometry().top());
    painter.end();
    return read.shapes.size();
}

double plain(const QString &script)
{
    QImage image = blankPicture();
    QPainter painter(&image);
    return bench::plainDraw(painter, script);
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    const int records = argc > 1 ? std::atoi(argv[1]) : 10000;
    const QString script = bench::makeScript(records, kWidth, kHeight);
    double oursCount = 0, plainCount = 0;
    const std::vector<double> best = bestOfEach(5, {[&] { oursCount = ours(script); },
                                                   [&] { plainCount = plain(script); }});
    std::printf("records %d (%.0f read, %.0f by the plain loop), script %lld characters\n", records, oursCount,
                plainCount, static_cast<long long>(script.size()));
    std::printf("shapes (OverlayScript::Read + DrawToDC): %8.1f ms\n", best[0]);
    std::printf("plain split + QPainter:                  %8.1f ms\n", best[1]);
    std::printf("ratio: %.2f\n", best[0] / best[1]);
    return oursCount == plainCount ? 0 : 1;
}
