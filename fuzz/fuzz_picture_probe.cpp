// A picture file the user inserts: the probe of its header with the size
// guard, and the import's check, on a file of the fuzzer's bytes.
#include "quarvik/PictureImport.h"
#include "quarvik/PictureReader.h"

#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static int argc = 1;
    static char name[] = "fuzz_picture_probe";
    static char *argv[] = {name, nullptr};
    static QGuiApplication application(argc, argv);
    static QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("Bild.jpg"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        std::abort();
    file.write(reinterpret_cast<const char *>(data), qint64(size));
    file.close();
    quarvik::PictureReader reader(path);
    if (reader.probe()) {
        const QSize size = reader.uprightSize();
        // The guard holds: nothing larger than the bound gets past the probe.
        if (qint64(size.width()) * size.height() > quarvik::PictureReader::kMaxPixels)
            std::abort();
    } else if (reader.errorString().isEmpty()) {
        std::abort();
    }
    const quarvik::PreparedPicture prepared = quarvik::PictureImport::prepare(path);
    if (prepared.ok() == prepared.path.isEmpty())
        std::abort();
    if (prepared.temporary)
        QFile::remove(prepared.path);
    return 0;
}
