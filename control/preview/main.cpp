// kelvane-preview: turns a stored file's bytes into a picture in a process
// of its own, so that a parser that faults, loops or eats memory on a
// hostile or broken file ends this process and not the program. The request
// comes on the input, the picture goes to the output, the exit status says
// what went wrong (sandbox/PreviewProtocol.h). It serves one request after
// another, so that one start serves many pictures. Run by the program's
// preview client, not by hand.

#include "Limits.h"
#include "PdfReader.h"
#include "Readers.h"

#include "sandbox/PreviewProtocol.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QImageWriter>

#include <fcntl.h>
#include <new>
#include <optional>
#include <unistd.h>

namespace {

bool readAll(int fd, char *data, qint64 length)
{
    while (length > 0) {
        const ssize_t got = read(fd, data, size_t(std::min<qint64>(length, 1 << 20)));
        if (got <= 0)
            return false;
        data += got;
        length -= got;
    }
    return true;
}

bool writeAll(int fd, const QByteArray &bytes)
{
    const char *data = bytes.constData();
    qint64 left = bytes.size();
    while (left > 0) {
        const ssize_t written = write(fd, data, size_t(left));
        if (written <= 0)
            return false;
        data += written;
        left -= written;
    }
    return true;
}

// The header line, read a byte at a time so nothing of the body is taken;
// nullopt at the end of the input before a line starts.
std::optional<QByteArray> headerLine()
{
    QByteArray line;
    char c = 0;
    while (line.size() <= 64 && read(0, &c, 1) == 1) {
        if (c == '\n')
            return line;
        line.append(c);
    }
    if (line.isEmpty())
        return std::nullopt;
    return QByteArray(); // cut off or too long: no request
}

QByteArray jpegOf(const QImage &image)
{
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setQuality(92);
    return writer.write(image) ? jpeg : QByteArray();
}

QByteArray answerTo(const sandbox::PreviewRequest &request)
{
    const bool fit = request.mode == sandbox::PreviewMode::Fit;
    const preview::Outcome outcome = fit ? preview::fitted(request.bytes, request.bound) : preview::whole(request.bytes);
    if (outcome.image.isNull())
        return sandbox::failureAnswer(outcome.status == sandbox::ExitTooLarge ? sandbox::ExitTooLarge
                                                                              : sandbox::ExitUnreadable);
    if (fit)
        return sandbox::imageAnswer(outcome.image);
    const QByteArray jpeg = jpegOf(outcome.image);
    return jpeg.isEmpty() ? sandbox::failureAnswer(sandbox::ExitTooLarge) : sandbox::jpegAnswer(jpeg);
}

// Requests one after another, until the parent closes the input.
int serve()
{
    for (;;) {
        const std::optional<QByteArray> line = headerLine();
        if (!line)
            return sandbox::ExitOk;
        const auto header = sandbox::parseRequestHeader(*line);
        if (!header)
            return sandbox::ExitBadRequest;
        sandbox::PreviewRequest request = header->first;
        request.bytes.resize(header->second);
        if (!readAll(0, request.bytes.data(), header->second))
            return sandbox::ExitBadRequest;
        preview::startRequest();
        if (!writeAll(1, answerTo(request)))
            return sandbox::ExitBadRequest;
    }
}

} // namespace

int main(int argc, char *argv[])
{
    preview::applyLimits();
    // A page for the screen is a few megabytes: in a few large pieces the
    // parent takes it between two paints, not in forty small ones.
    fcntl(STDOUT_FILENO, F_SETPIPE_SZ, 1 << 20);
    // The parent reads no more than a few lines of this; the parsers and
    // Qt's plugins say nothing here.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    QCoreApplication application(argc, argv);
    try {
        // Started ahead of need: the set-up falls in the time the parent
        // does not wait for us.
        preview::warmUpPdf();
        return serve();
    } catch (const std::bad_alloc &) {
        return sandbox::ExitTooLarge;
    } catch (...) {
        return sandbox::ExitCrashed;
    }
}
