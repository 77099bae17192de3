#pragma once
// One serial port (a tty) with blocking-with-time-out read, write and event
// wait. Failures are reported as error codes: the class's own codes below, or
// the errno of the failing system call.
#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

namespace serial_error {
inline constexpr int32_t ok = 0;
inline constexpr int32_t invalidFunction = 1; // finite time-out on a port opened without event support
inline constexpr int32_t invalidHandle = 6; // the port is not open
inline constexpr int32_t alreadyInitialized = 1247; // open on an open port
inline constexpr int32_t timeout = 1460; // did not complete in time; the operation was cancelled
inline constexpr int32_t invalidArgument = static_cast<int32_t>(0x80070057u); // selector out of range
} // namespace serial_error

namespace serial_event {
inline constexpr uint32_t rxChar = 0x01; // data is waiting to be read
inline constexpr uint32_t rxFlag = 0x02; // the event character (accepted, never raised here)
inline constexpr uint32_t breakSeen = 0x40;
inline constexpr uint32_t lineError = 0x80;
inline constexpr uint32_t defaultMask = rxChar | breakSeen | lineError;
} // namespace serial_event

// Line error bits returned by takeErrors().
namespace serial_line {
inline constexpr uint32_t overrun = 0x0002;
inline constexpr uint32_t parity = 0x0004;
inline constexpr uint32_t frame = 0x0008;
inline constexpr uint32_t breakCondition = 0x0010;
} // namespace serial_line

class CSerial {
public:
    CSerial() = default;
    CSerial(const CSerial&) = delete;
    CSerial& operator=(const CSerial&) = delete;
    virtual ~CSerial();

    // Opens exclusively, in raw mode, with the event mask rxChar|breakSeen|lineError
    // and non-blocking reads. Without `overlapped` only unlimited waits are allowed.
    // The queue sizes are accepted for compatibility; a tty has fixed queues.
    virtual int32_t open(const std::wstring& device, uint32_t inQueue = 0, uint32_t outQueue = 0, bool overlapped = true);
    virtual int32_t close();
    virtual int32_t configure(uint32_t baudRate, uint8_t dataBits, uint8_t parity, uint8_t stopBits);
    virtual int32_t setEventChar(uint8_t ch, bool adjustMask);
    // Stores the mask and completes any pending event wait (with no events).
    virtual int32_t setEventMask(uint32_t mask);
    // Waits for the next port event (timeoutMs −1: no limit); the events go to
    // takeEvents(). A hang-up of the other side is reported as EIO.
    virtual int32_t waitForEvent(int32_t timeoutMs);
    virtual int32_t setHandshaking(int mode); // 0 off, 1 hardware, 2 software
    virtual int32_t setReadMode(int mode); // 0 return what is queued, 1 wait for the full count
    virtual uint32_t baudRate();
    virtual uint8_t dataBits();
    virtual uint8_t parity();
    virtual uint8_t stopBits();
    virtual int handshaking();
    virtual uint32_t eventMask();
    virtual uint8_t eventChar();
    virtual int32_t writeText(const char* text, uint32_t* written, int32_t timeoutMs);
    virtual int32_t write(const void* buffer, uint32_t count, uint32_t* written, int32_t timeoutMs);
    virtual int32_t read(void* buffer, uint32_t count, uint32_t* done, int32_t timeoutMs);

    bool isOpen() const { return handle_.load() >= 0; }
    uint32_t takeEvents();
    uint32_t takeErrors();
    int32_t queuedBytes(); // bytes waiting to be read, or −1 (lastError set)
    void purge();
    void sendBreak();
    bool ctsOn();
    bool dsrOn();
    bool ringOn();
    bool rlsdOn();

    int32_t lastError() const { return lastError_.load(); }

protected:
    // Puts the freshly opened tty into raw mode; 0 or the errno of the failure.
    virtual int32_t setRawMode(int fd);
    // Makes every pending event wait return; subclasses with waits of their own add theirs.
    virtual void wakeEventWaits();
    // The event wait proper: polls the port and wakeFd; resetWake drains wakeFd first.
    int32_t waitPortEvent(int wakeFd, int32_t timeoutMs, bool resetWake);
    int32_t fail(int32_t code)
    {
        lastError_.store(code);
        return code;
    }
    static void signalFd(int fd);
    static void drainFd(int fd);

private:
    bool modemBit(int bit);
    uint32_t readLineCounters(); // event bits of line changes since the last call

    std::atomic<int32_t> lastError_{0};
    std::atomic<int> handle_{-1};
    std::atomic<uint32_t> eventsSeen_{0};
    std::atomic<uint32_t> eventMask_{0};
    std::atomic<int> ioEvent_{-1}; // eventfd completing event waits; -1 unless opened with event support
    std::atomic<int> readMode_{0};
    std::atomic<uint8_t> eventChar_{0};
    std::atomic<bool> hangUpSeen_{false};

    // Break and line-error counters of the driver, where it keeps them.
    std::mutex countersLock_;
    bool countersKnown_ = false;
    std::atomic<bool> noCounters_{false}; // the port answers no line counters
    uint32_t lastBreaks_ = 0, lastFrame_ = 0, lastOverrun_ = 0, lastParity_ = 0;
    uint32_t pendingErrors_ = 0;
};
