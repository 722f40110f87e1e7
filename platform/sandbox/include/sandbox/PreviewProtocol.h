#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>

#include <optional>

// What the parent and kelvane-preview say to each other through their pipes.
//
// Requests on the child's input, one after another until it closes: one
// line "KVP1 <mode> <width> <height> <length>" and the file's bytes. Mode "fit" asks for the picture (a PDF's
// first page) fitted into width x height; "jpeg" for the whole picture upright
// as JPEG (HEIC on insert; width and height 0).
// Answer on the child's output: "KVI1 <width> <height> <dots per metre x>
// <dots per metre y>" and the pixels (ARGB32 premultiplied, rows without
// padding; the resolution as the file gave it), "KVJ1 <length>" and the
// JPEG, or "KVE1 <status>" for a file it cannot read or that is too large
// (ExitStatus) after which it serves the next request. A fault, the CPU
// limit or running out of memory end the child with its exit status.
namespace sandbox {

enum class PreviewMode { Fit, Jpeg };

enum ExitStatus {
    ExitOk = 0,
    ExitUnreadable = 10, // no format we read, or damaged
    ExitTooLarge = 11,   // over the pixel bound, the memory or the CPU limit
    ExitCrashed = 12,    // a parser faulted; the signal was caught
    ExitBadRequest = 13,
};

struct PreviewRequest {
    PreviewMode mode = PreviewMode::Fit;
    QSize bound;      // Fit only
    QByteArray bytes; // the stored file
};

// The largest picture either side asks for or accepts (a page at 300 dpi on
// A3 fits).
constexpr int MaxSide = 8000;
constexpr qint64 MaxPixels = 40'000'000;
// What the child reads at most from its input.
constexpr qint64 MaxInput = 512LL * 1024 * 1024;

QByteArray requestHeader(const PreviewRequest &request);
// The mode and bound of a header line (without its newline) and the length
// of the bytes that follow; nullopt for anything else.
std::optional<std::pair<PreviewRequest, qint64>> parseRequestHeader(const QByteArray &line);

QByteArray imageAnswer(const QImage &image);
QByteArray jpegAnswer(const QByteArray &jpeg);
// The picture of a whole answer, nullopt unless it is well-formed and fits
// into bound (Fit) or is a JPEG (Jpeg).
std::optional<QImage> parseImageAnswer(const QByteArray &answer, const QSize &bound);
std::optional<QByteArray> parseJpegAnswer(const QByteArray &answer);
QByteArray failureAnswer(int status);

// What the start of the child's output holds for request: an answer not yet
// all there, one whole answer of length bytes (status its ExitStatus), or
// something no answer starts with.
struct AnswerScan {
    enum State { Incomplete, Complete, Garbage } state = Incomplete;
    qsizetype length = 0;
    int status = ExitOk;
};
AnswerScan scanAnswer(const QByteArray &output, const PreviewRequest &request);

} // namespace sandbox
