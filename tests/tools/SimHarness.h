#pragma once
// The simulator's device core driven in-process: options parsed from a
// command line as kzo-devsim parses its own, requests fed as sealed frames,
// replies collected, and the clock set by the test (no waiting).
#include "DeviceSim.h"
#include "protocol/FrameCodec.h"

#include <QString>
#include <QStringList>

#include <chrono>
#include <cstring>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace kzo::test {

using Bytes = std::vector<uint8_t>;

// One reply as a frame record (length field first).
struct SimReply {
    Bytes record;
    uint16_t id() const { return kzo::frame::recordCommandId(record.data()); }
    int length() const { return static_cast<int>(record.size()); }
    // Reads outside the record give 0 (an empty bytes list), so a missing or
    // short reply fails the comparisons instead of the test program.
    bool has(int off, int n) const { return off >= 0 && static_cast<size_t>(off + n) <= record.size(); }
    uint8_t result() const { return has(26, 1) ? record[26] : 0; }
    // Data offsets count from the first byte behind the result byte.
    uint8_t u8(int off) const { return has(27 + off, 1) ? record[static_cast<size_t>(27 + off)] : 0; }
    uint16_t u16(int off) const { return has(27 + off, 2) ? kzo::frame::readU16(record.data() + 27 + off) : 0; }
    int16_t i16(int off) const { return static_cast<int16_t>(u16(off)); }
    uint32_t u32(int off) const { return has(27 + off, 4) ? kzo::frame::readU32(record.data() + 27 + off) : 0; }
    float f32(int off) const
    {
        const uint32_t v = u32(off);
        float f;
        static_assert(sizeof f == sizeof v);
        std::memcpy(&f, &v, sizeof f);
        return f;
    }
    Bytes data(int off, int n) const
    {
        if (!has(27 + off, n))
            return {};
        return Bytes(record.begin() + 27 + off, record.begin() + 27 + off + n);
    }
    bool checksumOk() const
    {
        const int n = length();
        if (n < 6)
            return false;
        // Over the record without its tail and checksum, stored in the last two bytes.
        return kzo::frame::readU16(record.data() + n - 2) == crc16(record.data(), n - 4, frameCrcSeed);
    }
};

class SimHarness {
public:
    using Clock = kzo::devsim::DeviceSim::Clock;

    // args: kzo-devsim options (without the program name).
    explicit SimHarness(const QStringList& args = {})
    {
        std::vector<std::string> words{"kzo-devsim"};
        for (const QString& a : args)
            words.push_back(a.toStdString());
        std::vector<char*> argv;
        for (std::string& w : words)
            argv.push_back(w.data());
        parsed_ = kzo::devsim::parseOptions(static_cast<int>(argv.size()), argv.data(), options_, error_);
        faults_ = std::make_unique<kzo::devsim::Faults>(options_.seed);
        memory_ = std::make_unique<kzo::devsim::ParamMemory>(options_.eeprom);
        images_ = std::make_unique<kzo::devsim::ImageSink>(options_.imageDir);
        sim_ = std::make_unique<kzo::devsim::DeviceSim>(options_, *faults_, *memory_, *images_,
                                                        [this](kzo::devsim::Bytes f) { sent_.push_back(std::move(f)); }, start_);
    }

    bool parsed() const { return parsed_; }
    const std::string& error() const { return error_; }
    kzo::devsim::DeviceSim& sim() { return *sim_; }

    // Moves the simulated clock (seconds since start) and runs what fell due.
    void at(double seconds)
    {
        now_ = start_ + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
        sim_->tick(now_);
    }

    // Sends one request as the program builds it (word 7 = 0x8000, or the
    // restore-defaults 0xC000; upgrade packets carry their number in word 3).
    void request(uint16_t id, const Bytes& payload = {0}, uint16_t word7 = 0x8000, uint16_t sequence = 0)
    {
        Bytes frame(34 + payload.size(), 0);
        kzo::frame::buildHeader(frame.data(), static_cast<int>(frame.size()), id);
        kzo::frame::writeU16(frame.data() + 4 + kzo::frame::offFixedC, word7);
        kzo::frame::writeU16(frame.data() + 4 + kzo::frame::offSequence, sequence);
        std::copy(payload.begin(), payload.end(), frame.begin() + 30);
        sealFrame(frame.data(), static_cast<int>(frame.size()));
        sim_->onRecord(frame.data() + 4, now_);
    }

    // Every reply sent since the last call, oldest first.
    std::vector<SimReply> replies()
    {
        std::vector<SimReply> out;
        for (const auto& f : sent_)
            out.push_back(SimReply{Bytes(f.begin() + 4, f.end())});
        sent_.clear();
        return out;
    }

    // The only reply sent since the last call, if it carries this id.
    std::optional<SimReply> only(uint16_t id)
    {
        auto all = replies();
        if (all.size() != 1 || all.front().id() != id)
            return std::nullopt;
        return all.front();
    }

    // Sends a request and returns its only reply with id ackId.
    std::optional<SimReply> ask(uint16_t id, uint16_t ackId, const Bytes& payload = {0}, uint16_t word7 = 0x8000)
    {
        replies();
        request(id, payload, word7);
        return only(ackId);
    }

private:
    kzo::devsim::SimOptions options_;
    std::string error_;
    bool parsed_ = false;
    std::unique_ptr<kzo::devsim::Faults> faults_;
    std::unique_ptr<kzo::devsim::ParamMemory> memory_;
    std::unique_ptr<kzo::devsim::ImageSink> images_;
    std::vector<kzo::devsim::Bytes> sent_;
    Clock::time_point start_ = Clock::now();
    Clock::time_point now_ = start_;
    std::unique_ptr<kzo::devsim::DeviceSim> sim_;
};

} // namespace kzo::test
