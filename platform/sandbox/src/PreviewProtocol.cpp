#include "sandbox/PreviewProtocol.h"

#include <QList>

#include <cstring>

namespace sandbox {
namespace {

constexpr qsizetype MaxHeaderLine = 64;

// A decimal number of at most 12 digits, nothing else.
std::optional<qint64> number(const QByteArray &text)
{
    if (text.isEmpty() || text.size() > 12)
        return std::nullopt;
    qint64 value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

bool sideOk(qint64 side) { return side >= 1 && side <= MaxSide; }

// Beyond 250,000 dpi no picture means its resolution.
constexpr int MaxDotsPerMeter = 10'000'000;
bool dotsOk(qint64 dots) { return dots >= 1 && dots <= MaxDotsPerMeter; }

// The header line of an answer split at blanks, and where its body starts.
std::optional<std::pair<QList<QByteArray>, qsizetype>> answerHeader(const QByteArray &answer)
{
    const qsizetype end = answer.indexOf('\n');
    if (end < 0 || end > MaxHeaderLine)
        return std::nullopt;
    return std::make_pair(answer.left(end).split(' '), end + 1);
}

} // namespace

QByteArray requestHeader(const PreviewRequest &request)
{
    const bool fit = request.mode == PreviewMode::Fit;
    return "KVP1 " + QByteArray(fit ? "fit" : "jpeg") + ' ' + QByteArray::number(fit ? request.bound.width() : 0)
        + ' ' + QByteArray::number(fit ? request.bound.height() : 0) + ' ' + QByteArray::number(request.bytes.size())
        + '\n';
}

std::optional<std::pair<PreviewRequest, qint64>> parseRequestHeader(const QByteArray &line)
{
    if (line.size() > MaxHeaderLine)
        return std::nullopt;
    const QList<QByteArray> parts = line.split(' ');
    if (parts.size() != 5 || parts[0] != "KVP1")
        return std::nullopt;
    const auto width = number(parts[2]);
    const auto height = number(parts[3]);
    const auto length = number(parts[4]);
    if (!width || !height || !length || *length < 1 || *length > MaxInput)
        return std::nullopt;
    PreviewRequest request;
    if (parts[1] == "fit") {
        if (!sideOk(*width) || !sideOk(*height) || *width * *height > MaxPixels)
            return std::nullopt;
        request.bound = QSize(int(*width), int(*height));
    } else if (parts[1] == "jpeg") {
        if (*width != 0 || *height != 0)
            return std::nullopt;
        request.mode = PreviewMode::Jpeg;
    } else {
        return std::nullopt;
    }
    return std::make_pair(request, *length);
}

QByteArray imageAnswer(const QImage &image)
{
    const QImage pixels = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QByteArray answer = "KVI1 " + QByteArray::number(pixels.width()) + ' ' + QByteArray::number(pixels.height()) + ' '
        + QByteArray::number(qBound(1, pixels.dotsPerMeterX(), MaxDotsPerMeter)) + ' '
        + QByteArray::number(qBound(1, pixels.dotsPerMeterY(), MaxDotsPerMeter)) + '\n';
    const qsizetype row = qsizetype(pixels.width()) * 4;
    answer.reserve(answer.size() + row * pixels.height());
    for (int y = 0; y < pixels.height(); ++y)
        answer.append(reinterpret_cast<const char *>(pixels.constScanLine(y)), row);
    return answer;
}

QByteArray jpegAnswer(const QByteArray &jpeg) { return "KVJ1 " + QByteArray::number(jpeg.size()) + '\n' + jpeg; }

std::optional<QImage> parseImageAnswer(const QByteArray &answer, const QSize &bound)
{
    const auto header = answerHeader(answer);
    if (!header || header->first.size() != 5 || header->first[0] != "KVI1")
        return std::nullopt;
    const auto width = number(header->first[1]);
    const auto height = number(header->first[2]);
    const auto dotsX = number(header->first[3]);
    const auto dotsY = number(header->first[4]);
    if (!dotsX || !dotsY || !dotsOk(*dotsX) || !dotsOk(*dotsY))
        return std::nullopt;
    // One pixel of rounding either way is the child's to choose.
    if (!width || !height || !sideOk(*width) || !sideOk(*height) || *width > bound.width() + 1
        || *height > bound.height() + 1)
        return std::nullopt;
    const qsizetype row = qsizetype(*width) * 4;
    if (answer.size() - header->second != row * *height)
        return std::nullopt;
    QImage image(int(*width), int(*height), QImage::Format_ARGB32_Premultiplied);
    if (image.isNull())
        return std::nullopt;
    const char *pixels = answer.constData() + header->second;
    for (int y = 0; y < image.height(); ++y)
        std::memcpy(image.scanLine(y), pixels + y * row, size_t(row));
    image.setDotsPerMeterX(int(*dotsX));
    image.setDotsPerMeterY(int(*dotsY));
    return image;
}

std::optional<QByteArray> parseJpegAnswer(const QByteArray &answer)
{
    const auto header = answerHeader(answer);
    if (!header || header->first.size() != 2 || header->first[0] != "KVJ1")
        return std::nullopt;
    const auto length = number(header->first[1]);
    const QByteArray jpeg = answer.mid(header->second);
    if (!length || jpeg.size() != *length || !jpeg.startsWith("\xFF\xD8\xFF"))
        return std::nullopt;
    return jpeg;
}

QByteArray failureAnswer(int status) { return "KVE1 " + QByteArray::number(status) + '\n'; }

AnswerScan scanAnswer(const QByteArray &output, const PreviewRequest &request)
{
    const AnswerScan garbage{AnswerScan::Garbage, 0, ExitOk};
    const auto header = answerHeader(output);
    if (!header)
        return output.size() > MaxHeaderLine ? garbage : AnswerScan{};
    const QList<QByteArray> &parts = header->first;
    const auto first = parts.size() >= 2 ? number(parts[1]) : std::nullopt;
    if (!first)
        return garbage;
    qint64 body = 0;
    int status = ExitOk;
    if (parts[0] == "KVE1" && parts.size() == 2) {
        if (*first != ExitUnreadable && *first != ExitTooLarge)
            return garbage;
        status = int(*first);
    } else if (parts[0] == "KVI1" && parts.size() == 5 && request.mode == PreviewMode::Fit) {
        const auto height = number(parts[2]);
        if (!height || !sideOk(*first) || !sideOk(*height) || *first > request.bound.width() + 1
            || *height > request.bound.height() + 1)
            return garbage;
        body = *first * *height * 4;
    } else if (parts[0] == "KVJ1" && parts.size() == 2 && request.mode == PreviewMode::Jpeg) {
        if (*first < 1 || *first > MaxInput)
            return garbage;
        body = *first;
    } else {
        return garbage;
    }
    const qsizetype length = header->second + body;
    if (output.size() < length)
        return AnswerScan{};
    return AnswerScan{AnswerScan::Complete, length, status};
}

} // namespace sandbox
