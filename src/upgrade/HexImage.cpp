#include "upgrade/HexImage.h"

#include <cstddef>
#include <cstdio>
#include <cstring>

namespace orb::upgrade {

namespace {

int hexValue(uint8_t c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

constexpr size_t recordOverhead = 5; // count, two address bytes, type, checksum
constexpr uint8_t dataType = 0x00;
constexpr uint8_t endOfFileType = 0x01;

} // namespace

HexImage buildHexImage(std::span<const uint8_t> text, uint8_t flag, const LoaderIds& ids)
{
    HexImage out;
    PacketList& packets = out.image.packets;

    auto start = std::make_unique<cmd_t<cmd_load_start>>(ids.start);
    kzo::frame::writeU32(start->payload() + offsetof(cmd_load_start, size), static_cast<uint32_t>(text.size()));
    packets.push_back(std::move(start));

    size_t pos = 0;
    int lineNo = 0;
    int dataRecords = 0;
    bool endSeen = false;
    for (;;) {
        // Every line read gets its packet first; the one that ends the
        // reading goes out with only its flag, as the loader expects.
        auto rec = std::make_unique<cmd_t<cmd_load_new_data>>(ids.data);
        rec->data()->encrypted = flag;
        cmd_load_new_data* payload = rec->data();
        packets.push_back(std::move(rec));

        if (pos >= text.size() || text[pos] != ':') {
            out.stoppedEarly = pos < text.size();
            break;
        }
        ++lineNo;

        size_t len = 0;
        bool terminated = false;
        while (pos + len < text.size() && len < static_cast<size_t>(hexLineLimit)) {
            if (text[pos + len++] == '\n') {
                terminated = true;
                break;
            }
        }
        if (!terminated && pos + len < text.size()) {
            out.error = HexError::LineTooLong;
            out.errorLine = lineNo;
            break;
        }

        size_t contentEnd = pos + len;
        if (terminated) {
            --contentEnd;
            if (contentEnd > pos && text[contentEnd - 1] == '\r')
                --contentEnd;
        }
        const size_t digits = contentEnd - (pos + 1);
        for (size_t i = pos + 1; i < contentEnd; ++i) {
            if (hexValue(text[i]) < 0) {
                out.error = HexError::BadCharacter;
                out.errorLine = lineNo;
                break;
            }
        }
        if (out.error == HexError::None && digits % 2 != 0) {
            out.error = HexError::OddDigits;
            out.errorLine = lineNo;
        }
        if (out.error != HexError::None)
            break;

        for (size_t i = 0; i < digits / 2; ++i) {
            const size_t at = pos + 1 + 2 * i;
            payload->record[i] = static_cast<uint8_t>(hexValue(text[at]) << 4 | hexValue(text[at + 1]));
        }
        // Count, address, type and checksum at the least: the type decides
        // whether the image is whole.
        if (digits / 2 < recordOverhead) {
            out.error = HexError::ShortRecord;
            out.errorLine = lineNo;
            break;
        }
        if (endSeen) {
            out.error = HexError::RecordAfterEnd;
            out.errorLine = lineNo;
            break;
        }
        const uint8_t type = payload->record[3];
        if (type == dataType && payload->record[0] > 0)
            ++dataRecords;
        endSeen = type == endOfFileType;
        ++out.image.dataPackets;
        pos += len;
    }

    // Flashing nothing, or the part of an image before a line that stopped
    // the reading, would be reported as a success by the loader.
    if (out.error == HexError::None && dataRecords == 0) {
        out.error = HexError::NoDataRecords;
    } else if (out.error == HexError::None && !endSeen) {
        out.error = HexError::NoEndRecord;
        out.errorLine = out.stoppedEarly ? lineNo + 1 : 0;
    }

    if (out.error != HexError::None) {
        packets.clear();
        out.image.dataPackets = 0;
        return out;
    }

    out.image.endValue = static_cast<uint32_t>(out.image.dataPackets) * hexRecordBytes;
    auto end = std::make_unique<cmd_t<cmd_load_end>>(ids.end);
    kzo::frame::writeU32(end->payload() + offsetof(cmd_load_end, dataLength), out.image.endValue);
    packets.push_back(std::move(end));
    return out;
}

std::string hexErrorText(const HexImage& hex)
{
    char text[128];
    switch (hex.error) {
    case HexError::None:
        return {};
    case HexError::LineTooLong:
        std::snprintf(text, sizeof text, "HEX line %d is longer than %d characters, file rejected", hex.errorLine,
                      hexLineLimit);
        break;
    case HexError::BadCharacter:
        std::snprintf(text, sizeof text, "HEX line %d holds a character that is not a hex digit, file rejected",
                      hex.errorLine);
        break;
    case HexError::OddDigits:
        std::snprintf(text, sizeof text, "HEX line %d has an odd number of hex digits, file rejected",
                      hex.errorLine);
        break;
    case HexError::ShortRecord:
        std::snprintf(text, sizeof text, "HEX line %d is too short to be a record, file rejected", hex.errorLine);
        break;
    case HexError::NoDataRecords:
        return "HEX file holds no data records, file rejected";
    case HexError::NoEndRecord:
        if (hex.errorLine == 0)
            return "HEX file ends without its end-of-file record, file rejected";
        std::snprintf(text, sizeof text,
                      "HEX line %d is not a record and ends the records before the end-of-file record, "
                      "file rejected",
                      hex.errorLine);
        break;
    case HexError::RecordAfterEnd:
        std::snprintf(text, sizeof text, "HEX line %d follows the end-of-file record, file rejected",
                      hex.errorLine);
        break;
    }
    return text;
}

} // namespace orb::upgrade
