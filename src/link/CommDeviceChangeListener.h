#pragma once
#include <string>

// Told by the device finder about every matching port that comes or goes.
class CommDeviceChangeListener {
public:
    virtual ~CommDeviceChangeListener() = default;
    virtual void onCommDeviceArrival(const std::wstring& portName) = 0;
    virtual void onCommDeviceRemoval(const std::wstring& portName) = 0;
};
