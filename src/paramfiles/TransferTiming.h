#pragma once
// How long a transfer dialog waits for the controller's reply before it
// sends the same request again, and how often it does so before giving up.
// Re-sending is safe: reading or writing the same block twice has the same
// effect as once.
namespace kzo::paramfiles {

struct TransferTiming {
    int replyTimeoutMs = 800;
    int maxResends = 3;
};

// What new dialogs use (GUI thread only).
TransferTiming transferTiming();

// Replaces the timing for the life of this object (tests keep them short).
class ScopedTransferTiming {
public:
    explicit ScopedTransferTiming(TransferTiming timing);
    ~ScopedTransferTiming();
    ScopedTransferTiming(const ScopedTransferTiming&) = delete;
    ScopedTransferTiming& operator=(const ScopedTransferTiming&) = delete;

private:
    TransferTiming previous;
};

} // namespace kzo::paramfiles
