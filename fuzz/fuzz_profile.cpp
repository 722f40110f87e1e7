// A settings file as found beside the program: one key read from it, one key
// written into it and read back, all on the file's bytes in memory, so that
// no disk write slows the run down.
#include "ProfileDocument.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using profile::ProfileDocument;
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    ProfileDocument document = ProfileDocument::fromBytes(bytes);
    document.value(QStringLiteral("Datenbank"), QStringLiteral("Pfad"));
    // Read back unchanged, the file keeps every byte.
    if (ProfileDocument::fromBytes(bytes).toBytes() != bytes)
        std::abort();

    const QString value = QStringLiteral("Ä neu=\"1\"");
    document.setValue(QStringLiteral("Datenbank"), QStringLiteral("Pfad"), value);
    // What was just written is what is read back, whatever the file held.
    const ProfileDocument again = ProfileDocument::fromBytes(document.toBytes());
    if (again.value(QStringLiteral("datenbank"), QStringLiteral("PFAD")) != value)
        std::abort();
    return 0;
}
