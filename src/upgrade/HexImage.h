#pragma once
// Intel HEX images of the gimbal axis controllers: each record is decoded to
// bytes and sent whole in its own packet; the host does not interpret it.
#include "upgrade/ImagePackets.h"

#include <span>
#include <string>

namespace orb::upgrade {

// A record line, terminator included, must fit the 50-byte line buffer the
// boot-loader protocol was designed around.
inline constexpr int hexLineLimit = 49;
// The longest line that fits cannot carry a record too big for its packet.
static_assert((hexLineLimit - 2) / 2 <= hexRecordBytes);

enum class HexError {
    None,
    LineTooLong,
    BadCharacter,
    OddDigits,
    ShortRecord,    // fewer bytes than count, address, type and checksum
    NoDataRecords,  // nothing to flash: not one data record before the reading stopped
    NoEndRecord,    // the records stop before the end-of-file record
    RecordAfterEnd, // a record follows the end-of-file record
};

struct HexImage {
    BuiltImage image;            // start, one packet per record, a flag-only packet, end
    HexError error = HexError::None;
    int errorLine = 0;           // 1-based line of the error (0: the file as a whole)
    bool stoppedEarly = false;   // a line without ':' ended the reading before the end of the text
};

// Reads records until a line that does not begin with ':' (the end of the
// text counts as one). Lines end in CR LF or LF (or the end of the text). A
// record line that does not fit the line limit, holds a non-hex character or
// an odd number of digits rejects the whole file. So does a file that would
// flash nothing or only part of an image: it must hold a data record and its
// records must end with the end-of-file record (type 01), nothing after it.
HexImage buildHexImage(std::span<const uint8_t> text, uint8_t flag, const LoaderIds& ids);

// One log text describing the error (no trailing newline).
std::string hexErrorText(const HexImage& hex);

} // namespace orb::upgrade
