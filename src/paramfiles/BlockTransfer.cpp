#include "paramfiles/BlockTransfer.h"

#include "commands/CommandCatalogue.h"
#include "paramfiles/ParamFile.h"

#include <utility>

namespace kzo::paramfiles {

uint32_t requestLength(int block) { return block == 0 ? recordSize : blockSize; }

namespace {
uint32_t blockAddress(uint32_t base, int k) { return base + static_cast<uint32_t>(k) * blockSize; }
} // namespace

ExportTransfer::ExportTransfer(uint32_t baseAddress, int blocks) : base_(baseAddress), blocks_(blocks)
{
    records_.reserve(static_cast<qsizetype>(blocks) * recordSize);
}

uint32_t ExportTransfer::outstandingAddress() const { return blockAddress(base_, next_); }

ReadFrame ExportTransfer::request() const { return makeReadFrame(outstandingAddress(), requestLength(next_)); }

Step ExportTransfer::accept(const BlockReply& reply)
{
    if (finished() || reply.address != outstandingAddress() || reply.data.size() != blockSize)
        return Step::Ignored;
    records_.append(reply.data);
    records_.append(static_cast<char>(reply.blockNumber & 0xFF));
    records_.append(static_cast<char>(reply.blockNumber >> 8));
    ++next_;
    return finished() ? Step::Done : Step::Next;
}

ImportTransfer::ImportTransfer(uint32_t baseAddress, int blocks, QByteArray records)
    : base_(baseAddress), blocks_(blocks), records_(std::move(records))
{
    // Never send bytes the file did not hold: an incomplete record set makes
    // an empty transfer, which the dialog refuses to start.
    if (blocks_ < 0 || records_.size() < static_cast<qsizetype>(blocks_) * recordSize)
        blocks_ = 0;
}

uint32_t ImportTransfer::outstandingAddress() const { return blockAddress(base_, next_); }

WriteFrame ImportTransfer::request() const
{
    if (blocks_ == 0)
        return WriteFrame(orb::cmdid::ParamBlockWrite);
    const int k = finished() ? blocks_ - 1 : next_;
    const auto* rec = reinterpret_cast<const uint8_t*>(records_.constData()) + static_cast<qsizetype>(k) * recordSize;
    return makeWriteFrame(blockAddress(base_, k), requestLength(k), rec);
}

Step ImportTransfer::accept(const WriteAck& ack)
{
    if (finished() || refused_ || ack.address != outstandingAddress())
        return Step::Ignored;
    // A refusal is judged before completion: a refused last block is a failure.
    if (ack.result == 0) {
        refused_ = true;
        return Step::Refused;
    }
    ++next_;
    return finished() ? Step::Done : Step::Next;
}

} // namespace kzo::paramfiles
