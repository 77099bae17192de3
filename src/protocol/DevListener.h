#pragma once
// Observer interfaces of the device and of the device model.
#include "link/DevIo.h"
#include "protocol/DevValue.h"

#include <memory>
#include <string>

namespace orb {

class DevListener {
public:
    DevListener() : io(currentDevIo) {}
    virtual ~DevListener() = default; // does not unregister
    virtual void onDevEvent(const DevEvent* event) = 0;

    // Writes the command's frame through io. With deleteAfter the command is
    // released and the caller's pointer cleared.
    template <class Cmd>
    bool send(std::unique_ptr<Cmd>& command, bool deleteAfter)
    {
        if (!command)
            return false;
        const bool ok = io && io->write(command->frame(), command->frameSize());
        if (deleteAfter)
            command.reset();
        return ok;
    }
    template <class Cmd>
    bool send(Cmd& command)
    {
        return io && io->write(command.frame(), command.frameSize());
    }

    DevIo* io;
};

class DevModelListener {
public:
    virtual ~DevModelListener() = default;
    virtual void onModelChanged(const std::wstring& key, const DevValue& value) = 0;
};

} // namespace orb
