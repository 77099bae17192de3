#pragma once
// A controller's parameter memory behind a FakeDevIo: answers every block
// read (0x0292) and block write (0x0294) the moment it is written, with
// switchable faults. Answers are delivered through the fake's dispatch, as
// the serial side would deliver them.
#include "support/FakeDevIo.h"

#include "commands/CommandCatalogue.h"
#include "protocol/FrameCodec.h"

#include <QByteArray>

#include <algorithm>
#include <array>
#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

namespace kzo::test {

class FakeParamController {
public:
    using Bytes = std::vector<uint8_t>;
    static constexpr int blocks = 8;
    static constexpr int blockSize = 128;

    explicit FakeParamController(FakeDevIo& io) : io_(io)
    {
        for (int i = 0; i < blocks * blockSize; ++i)
            memory[static_cast<size_t>(i)] = static_cast<uint8_t>(i * 13 + 5);
        for (int k = 0; k < blocks; ++k)
            blockNumbers[static_cast<size_t>(k)] = static_cast<uint16_t>(k);
        io_.onWrite = [this](const WrittenFrame& f) { onFrame(f); };
    }
    ~FakeParamController() { io_.onWrite = nullptr; }
    FakeParamController(const FakeParamController&) = delete;
    FakeParamController& operator=(const FakeParamController&) = delete;

    // The record of a 0x0293 reply (record length 169).
    static Bytes readReply(uint32_t address, uint32_t word2, const uint8_t* data, uint16_t number, int extra = 0)
    {
        Bytes p(1 + 138 + static_cast<size_t>(std::max(extra, 0)), 0);
        p[0] = 1;
        kzo::frame::writeU32(p.data() + 1, address);
        kzo::frame::writeU32(p.data() + 5, word2);
        std::copy(data, data + blockSize, p.begin() + 9);
        kzo::frame::writeU16(p.data() + 9 + blockSize, number);
        p.resize(static_cast<size_t>(139 + extra));
        return FakeDevIo::record(orb::cmdid::ParamBlockAck, p);
    }
    // The record of a 0x0295 acknowledgement (record length 39).
    static Bytes writeAck(uint8_t result, uint32_t address, uint32_t word2, int extra = 0)
    {
        Bytes p(9, 0);
        p[0] = result;
        kzo::frame::writeU32(p.data() + 1, address);
        kzo::frame::writeU32(p.data() + 5, word2);
        p.resize(static_cast<size_t>(9 + extra)); // extra < 0 makes it short
        return FakeDevIo::record(orb::cmdid::ParamBlockWriteAck, p);
    }

    // Faults, each for the block with this index (-1: none).
    int dropReplies = 0; // the next n requests get no answer
    int refuseBlock = -1; // write acknowledged with result 0
    int wrongAddressBlock = -1; // first answer for it echoes wrongAddress
    uint32_t wrongAddress = 7 * blockSize; // the last block's address
    int wrongLengthBlock = -1; // first answer for it is one byte too long
    int disconnectAtRequest = -1; // the n-th request (0-based) is answered by a link loss
    bool answer = true; // false: nothing is answered at all
    std::function<void(int request)> onRequest; // after each request, under the I/O lock

    std::array<uint8_t, blocks * blockSize> memory{};
    std::array<uint16_t, blocks> blockNumbers{}; // what the read reply carries as block number

    // The file records a complete export of this memory holds: each block's
    // data, then its block number as the reply carries it (low byte first).
    QByteArray fileRecords() const
    {
        QByteArray records;
        for (int k = 0; k < blocks; ++k) {
            records.append(reinterpret_cast<const char*>(memory.data() + k * blockSize), blockSize);
            records.append(static_cast<char>(blockNumbers[static_cast<size_t>(k)] & 0xFF));
            records.append(static_cast<char>(blockNumbers[static_cast<size_t>(k)] >> 8));
        }
        return records;
    }
    std::vector<uint32_t> readAddresses, writeAddresses; // in request order
    int requests = 0;

private:
    void onFrame(const WrittenFrame& f)
    {
        const uint16_t id = f.id();
        if (id != orb::cmdid::ParamBlockRead && id != orb::cmdid::ParamBlockWrite)
            return;
        const int n = requests++;
        const uint32_t address = kzo::frame::readU32(f.payload());
        const uint32_t length = kzo::frame::readU32(f.payload() + 4);
        (id == orb::cmdid::ParamBlockRead ? readAddresses : writeAddresses).push_back(address);
        if (onRequest)
            onRequest(n);
        if (n == disconnectAtRequest) {
            io_.dispatch(EvDisconnected, nullptr);
            return;
        }
        if (!answer)
            return;
        if (dropReplies > 0) {
            --dropReplies;
            return;
        }
        const int k = static_cast<int>(address / blockSize);
        if (address % blockSize != 0 || k >= blocks)
            return;
        uint32_t echoed = address;
        if (k == wrongAddressBlock) {
            wrongAddressBlock = -1;
            echoed = wrongAddress;
        }
        int extra = 0;
        if (k == wrongLengthBlock) {
            wrongLengthBlock = -1;
            extra = 1;
        }
        uint8_t* block = memory.data() + static_cast<size_t>(k) * blockSize;
        if (id == orb::cmdid::ParamBlockRead) {
            io_.deliver(readReply(echoed, length, block, blockNumbers[static_cast<size_t>(k)], extra));
            return;
        }
        const bool refuse = k == refuseBlock;
        if (!refuse)
            std::copy(f.payload() + 8, f.payload() + 8 + blockSize, block);
        io_.deliver(writeAck(refuse ? 0 : 1, echoed, length, extra));
    }

    FakeDevIo& io_;
};

} // namespace kzo::test
