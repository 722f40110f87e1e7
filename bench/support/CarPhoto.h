#pragma once

#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QRandomGenerator>

#include <algorithm>

// A made-up photo of a car's flank in the evening at any size: sky,
// asphalt, a red body with a window and two wheels, drawn in proportion,
// and the fine noise a camera leaves, which JPEG cannot squeeze, so that a
// 12 MP file is as large as a real one.
inline QImage carPhoto(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, height);
    sky.setColorAt(0, QColor(120, 160, 205));
    sky.setColorAt(0.55, QColor(215, 205, 190));
    sky.setColorAt(0.56, QColor(90, 90, 95));
    sky.setColorAt(1, QColor(60, 60, 64));
    p.fillRect(image.rect(), sky);
    const double k = width / 1000.0;
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(150, 30, 35));
    p.drawRoundedRect(QRectF(40 * k, height * 0.3, width - 80 * k, height * 0.4), 60 * k, 60 * k);
    p.setBrush(QColor(70, 90, 110));
    p.drawRoundedRect(QRectF(140 * k, height * 0.33, 260 * k, height * 0.15), 20 * k, 20 * k);
    p.setBrush(QColor(25, 25, 25));
    p.drawEllipse(QPointF(190 * k, height * 0.7), 70 * k, 70 * k);
    p.drawEllipse(QPointF(width - 190 * k, height * 0.7), 70 * k, 70 * k);
    p.end();
    QRandomGenerator random(4);
    for (int y = 0; y < height; ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const int n = random.bounded(17) - 8;
            const QRgb c = line[x];
            line[x] = qRgb(std::clamp(qRed(c) + n, 0, 255), std::clamp(qGreen(c) + n, 0, 255),
                           std::clamp(qBlue(c) + n, 0, 255));
        }
    }
    return image;
}
