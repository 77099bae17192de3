// The Intel HEX reader of the axis-controller images.
//
// Input: a control byte (the enciphered flag and the loader row), then the
// file's text. An accepted file gives start, one packet per record holding
// exactly that line's decoded bytes, a flag-only packet and an end packet
// whose value counts the records; a rejected one gives no packets, an error
// line within the file and a message.
#include "FuzzSupport.h"
#include "upgrade/HexImage.h"

#include <cstddef>
#include <vector>

using kzo::fuzz::Input;
using namespace orb;
using namespace orb::upgrade;

namespace {

int hexDigit(uint8_t c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

struct Line {
    size_t begin, end; // content without the line break
};

std::vector<Line> splitLines(std::span<const uint8_t> text)
{
    std::vector<Line> lines;
    size_t at = 0;
    while (at < text.size()) {
        size_t e = at;
        while (e < text.size() && text[e] != '\n')
            ++e;
        size_t contentEnd = e;
        if (e < text.size() && contentEnd > at && text[contentEnd - 1] == '\r')
            --contentEnd;
        lines.push_back({at, contentEnd});
        at = e < text.size() ? e + 1 : e;
    }
    return lines;
}

void checkHeader(cmd_base_t& p, uint16_t id)
{
    const uint8_t* rec = p.header();
    KZO_CHECK(kzo::frame::recordLength(rec) == p.frameSize() - kzo::frame::syncSize);
    KZO_CHECK(p.commandId() == id);
    KZO_CHECK(kzo::frame::readU32(p.frame()) == kzo::frame::frameSync);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Input in({data, size});
    const uint8_t control = in.byte();
    const uint8_t flag = control & 1;
    static const uint8_t modules[] = {0, 1, 2, 3, 4};
    const auto ids = directLoaderIds(modules[(control >> 1) % 5]);
    const LoaderIds row = ids ? *ids : canLoaderIds();
    const std::span<const uint8_t> text = in.rest();

    const HexImage hex = buildHexImage(text, flag, row);
    const std::vector<Line> lines = splitLines(text);
    const std::string message = hexErrorText(hex);

    if (hex.error != HexError::None) {
        KZO_CHECK(hex.image.packets.empty());
        KZO_CHECK(hex.image.dataPackets == 0);
        KZO_CHECK(!message.empty());
        KZO_CHECK(hex.errorLine >= 0 && static_cast<size_t>(hex.errorLine) <= lines.size() + 1);
        return 0;
    }
    KZO_CHECK(message.empty());
    const auto& packets = hex.image.packets;
    const int records = hex.image.dataPackets;
    KZO_CHECK(records >= 2); // a data record and the end-of-file record at least
    KZO_CHECK(packets.size() == static_cast<size_t>(records) + 3);
    KZO_CHECK(static_cast<size_t>(records) <= lines.size());
    KZO_CHECK(hex.image.endValue == static_cast<uint32_t>(records) * hexRecordBytes);

    checkHeader(*packets.front(), row.start);
    KZO_CHECK(kzo::frame::readU32(packets.front()->payload()) == text.size());
    checkHeader(*packets.back(), row.end);
    KZO_CHECK(kzo::frame::readU32(packets.back()->payload()) == hex.image.endValue);

    bool sawData = false;
    for (int r = 0; r < records; ++r) {
        cmd_base_t& p = *packets[static_cast<size_t>(r) + 1];
        checkHeader(p, row.data);
        const uint8_t* pl = p.payload();
        KZO_CHECK(pl[0] == flag);
        // The packet holds this line's bytes, decoded independently here,
        // and zeros behind them.
        const Line& l = lines[static_cast<size_t>(r)];
        KZO_CHECK(l.end > l.begin && text[l.begin] == ':');
        const size_t digits = l.end - l.begin - 1;
        KZO_CHECK(digits % 2 == 0 && digits / 2 >= 5 && digits / 2 <= static_cast<size_t>(hexRecordBytes));
        for (size_t i = 0; i < static_cast<size_t>(hexRecordBytes); ++i) {
            uint8_t expected = 0;
            if (i < digits / 2) {
                const int hi = hexDigit(text[l.begin + 1 + 2 * i]);
                const int lo = hexDigit(text[l.begin + 2 + 2 * i]);
                KZO_CHECK(hi >= 0 && lo >= 0);
                expected = static_cast<uint8_t>(hi << 4 | lo);
            }
            KZO_CHECK(pl[1 + i] == expected);
        }
        const uint8_t type = pl[1 + 3];
        if (type == 0x00 && pl[1] > 0)
            sawData = true;
        // Only the last record is the end-of-file record.
        KZO_CHECK((type == 0x01) == (r == records - 1));
    }
    KZO_CHECK(sawData);
    // The packet of the line that ended the reading carries only its flag.
    cmd_base_t& stop = *packets[static_cast<size_t>(records) + 1];
    checkHeader(stop, row.data);
    KZO_CHECK(stop.payload()[0] == flag);
    for (int i = 1; i <= hexRecordBytes; ++i)
        KZO_CHECK(stop.payload()[i] == 0);
    // Nothing but the end of the text or a line that is not a record follows.
    if (static_cast<size_t>(records) < lines.size()) {
        const Line& next = lines[static_cast<size_t>(records)];
        KZO_CHECK(hex.stoppedEarly);
        KZO_CHECK(next.end == next.begin || text[next.begin] != ':');
    }
    return 0;
}
