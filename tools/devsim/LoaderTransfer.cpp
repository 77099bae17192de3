#include "LoaderTransfer.h"

#include "ImageSink.h"

#include <algorithm>
#include <cstdio>

namespace kzo::devsim {

namespace {
std::string format(const char* fmt, long a, long b = 0)
{
    char buf[160];
    std::snprintf(buf, sizeof buf, fmt, a, b);
    return buf;
}
} // namespace

LoaderTransfer::Order LoaderTransfer::order(uint16_t sequence) const
{
    if (sequence == lastSequence_)
        return Order::Repeat; // our answer was lost and the packet re-sent
    if (sequence == lastSequence_ + 1)
        return Order::Next;
    return Order::Wrong;
}

LoaderTransfer::Answer LoaderTransfer::refuse(std::string why)
{
    failed_ = true;
    return {transmitError, std::move(why)};
}

LoaderTransfer::Answer LoaderTransfer::start(uint16_t sequence, uint32_t size)
{
    if (sequence != 1)
        return refuse(format("start packet numbered %ld, expected 1", sequence));
    // A start always begins afresh, also when it repeats an earlier start.
    *this = LoaderTransfer(module_, path_);
    started_ = true;
    lastSequence_ = 1;
    size_ = size;
    return {accepted, {}};
}

LoaderTransfer::Answer LoaderTransfer::data(uint16_t sequence, uint8_t encrypted, std::span<const uint8_t> bytes)
{
    if (!started_ || failed_ || complete_)
        return refuse("data packet outside a transfer");
    switch (order(sequence)) {
    case Order::Repeat:
        return {accepted, format("packet %ld repeated, acknowledged again", sequence)};
    case Order::Wrong:
        return refuse(format("packet %ld out of order, expected %ld", sequence, lastSequence_ + 1));
    case Order::Next:
        break;
    }
    if (path_ == LoaderPath::Hex) {
        Answer a = hexRecord(bytes);
        if (a.result != accepted)
            return a;
    } else {
        if (raw_.size() >= size_)
            return refuse(format("data packet %ld beyond the announced %ld bytes", sequence, size_));
        raw_.insert(raw_.end(), bytes.begin(), bytes.end());
        std::copy_n(bytes.begin(), std::min<size_t>(bytes.size(), rawBlock), lastBlock_.begin());
    }
    encrypted_ = encrypted;
    ++dataPackets_;
    lastSequence_ = sequence;
    return {accepted, {}};
}

LoaderTransfer::Answer LoaderTransfer::hexRecord(std::span<const uint8_t> bytes)
{
    // A packet without a record (all zero) follows the last line of the file.
    if (std::all_of(bytes.begin(), bytes.end(), [](uint8_t b) { return b == 0; }))
        return {accepted, "empty record packet"};
    const int count = bytes[0];
    const int total = count + 5; // count, address (2), type, data, checksum
    if (total > hexRecordBytes)
        return refuse(format("HEX record of %ld data bytes does not fit a packet", count));
    uint8_t sum = 0;
    for (int i = 0; i < total; ++i)
        sum = static_cast<uint8_t>(sum + bytes[static_cast<size_t>(i)]);
    if (sum != 0)
        return refuse(format("HEX record %ld has a bad checksum (sum 0x%02lx)", static_cast<long>(records_.size()) + 1, sum));
    records_.emplace_back(bytes.begin(), bytes.begin() + total);
    return {accepted, {}};
}

LoaderTransfer::Answer LoaderTransfer::end(uint16_t sequence, uint32_t dataLength)
{
    if (!started_ || failed_)
        return refuse("end packet outside a transfer");
    if (complete_ && sequence == lastSequence_)
        return {accepted, "end packet repeated, acknowledged again"};
    if (order(sequence) != Order::Next)
        return refuse(format("end packet numbered %ld, expected %ld", sequence, lastSequence_ + 1));
    if (path_ == LoaderPath::Hex) {
        const uint32_t want = static_cast<uint32_t>(records_.size()) * hexRecordBytes;
        if (dataLength != want)
            return refuse(format("end announces %ld bytes, %ld HEX records received", dataLength, static_cast<long>(records_.size())));
    } else {
        const uint32_t want = static_cast<uint32_t>(dataPackets_) * rawBlock;
        if (dataLength != want)
            return refuse(format("end announces %ld bytes, %ld data packets received", dataLength, dataPackets_));
        if (raw_.size() < size_)
            return refuse(format("image short: %ld of %ld announced bytes", static_cast<long>(raw_.size()), size_));
    }
    lastSequence_ = sequence;
    complete_ = true;
    return {accepted, {}};
}

uint8_t LoaderTransfer::verify(std::span<const uint8_t> block) const
{
    if (!complete_ || block.size() < static_cast<size_t>(rawBlock))
        return verifyMismatch;
    const bool zeros = std::all_of(block.begin(), block.begin() + rawBlock, [](uint8_t b) { return b == 0; });
    const bool matches = std::equal(lastBlock_.begin(), lastBlock_.end(), block.begin());
    return (encrypted_ ? matches : zeros) ? accepted : verifyMismatch;
}

uint64_t LoaderTransfer::receivedBytes() const
{
    if (path_ != LoaderPath::Hex)
        return std::min<uint64_t>(raw_.size(), size_);
    uint64_t text = 0;
    for (const Bytes& r : records_)
        text += 2 * r.size() + 3;
    return text;
}

Bytes LoaderTransfer::image() const
{
    if (path_ != LoaderPath::Hex)
        return Bytes(raw_.begin(), raw_.begin() + std::min<size_t>(raw_.size(), size_));
    static const char digits[] = "0123456789ABCDEF";
    Bytes text;
    for (const Bytes& r : records_) {
        text.push_back(':');
        for (uint8_t b : r) {
            text.push_back(static_cast<uint8_t>(digits[b >> 4]));
            text.push_back(static_cast<uint8_t>(digits[b & 0x0F]));
        }
        text.push_back('\r');
        text.push_back('\n');
    }
    return text;
}

std::string LoaderTransfer::fileName() const
{
    return ImageSink::moduleName(module_) + (path_ == LoaderPath::Hex ? ".hex" : ".bin");
}

} // namespace kzo::devsim
