// The phone receiver's reading of a request head, on bytes as a client on
// the network sends them, fed in pieces whose sizes the input's first byte chooses.
#include "phone/HttpHead.h"
#include "phone/Routes.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size == 0)
        return 0;
    const qsizetype piece = 1 + data[0] % 64;
    const QByteArray bytes(reinterpret_cast<const char *>(data) + 1, qsizetype(size) - 1);
    phone::HttpHeadParser parser;
    for (qsizetype at = 0; at < bytes.size() && parser.state() == phone::HttpHeadParser::State::NeedMore; at += piece)
        parser.feed(bytes.mid(at, piece));
    if (parser.state() == phone::HttpHeadParser::State::Done) {
        static const phone::AccessToken token(std::chrono::milliseconds(0), std::chrono::minutes(15));
        phone::routeOf(parser.head(), token, std::chrono::milliseconds(1));
    }
    return 0;
}
