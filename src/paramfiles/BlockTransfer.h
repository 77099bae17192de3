#pragma once
// Stop-and-wait over the parameter memory, one 128-byte block at a time.
// The program keeps its own block counter: the outstanding address is
// always base + k * 128, and only the reply for that address moves the
// transfer on. Replies for any other address (late answers to a re-sent
// request, or a controller echoing a wrong address) are ignored, so no
// block can be skipped, repeated or read past the end.
#include "paramfiles/BlockFrames.h"

#include <QByteArray>
#include <cstdint>

namespace kzo::paramfiles {

enum class Step {
    Ignored, // not the reply for the outstanding block
    Next, // accepted; request() now gives the next block
    Done, // accepted, and it was the last block
    Refused, // the controller refused the outstanding block write
};

// The length field of the first request of a transfer is 130, later ones 128.
uint32_t requestLength(int block);

class ExportTransfer {
public:
    ExportTransfer(uint32_t baseAddress, int blocks);

    ReadFrame request() const; // the read for the outstanding block
    uint32_t outstandingAddress() const;
    Step accept(const BlockReply& reply);

    int blocks() const { return blocks_; }
    int acceptedBlocks() const { return next_; }
    bool finished() const { return next_ >= blocks_; }
    // Collected file records: 128 data bytes and the block number as received.
    const QByteArray& records() const { return records_; }

private:
    uint32_t base_;
    int blocks_;
    int next_ = 0;
    QByteArray records_;
};

class ImportTransfer {
public:
    // records: blocks * 130 bytes, as read from the file (fewer makes an
    // empty transfer: blocks() is then 0).
    ImportTransfer(uint32_t baseAddress, int blocks, QByteArray records);

    WriteFrame request() const; // the write for the outstanding block
    uint32_t outstandingAddress() const;
    Step accept(const WriteAck& ack);

    int blocks() const { return blocks_; }
    int acceptedBlocks() const { return next_; }
    bool finished() const { return next_ >= blocks_; }
    bool refused() const { return refused_; }

private:
    uint32_t base_;
    int blocks_;
    int next_ = 0;
    bool refused_ = false;
    QByteArray records_;
};

} // namespace kzo::paramfiles
