#include "ParamMemory.h"

#include "app/logging/Log.h"

#include <algorithm>
#include <cstdio>
#include <fstream>

namespace kzo::devsim {

ParamMemory::ParamMemory(std::string file) : file_(std::move(file))
{
    for (int i = 0; i < totalSize; ++i)
        bytes_[static_cast<size_t>(i)] = static_cast<uint8_t>(i * 7 + 3);
    if (file_.empty())
        return;
    if (std::ifstream in(file_, std::ios::binary); in) {
        in.read(reinterpret_cast<char*>(bytes_.data()), totalSize);
        logTagged("DevSim", "parameter memory loaded from %s (%ld bytes)", file_.c_str(), static_cast<long>(in.gcount()));
    } else {
        logTagged("DevSim", "parameter memory %s not found, starting from the default pattern", file_.c_str());
    }
    // The file always holds the memory, even before the first write, so it
    // can be compared at once (and a longer file is cut to size).
    save();
}

int ParamMemory::blockOf(uint32_t address)
{
    if (address % blockSize != 0 || address / blockSize >= static_cast<uint32_t>(blockCount))
        return -1;
    return static_cast<int>(address / blockSize);
}

std::span<const uint8_t> ParamMemory::block(int n) const
{
    return std::span<const uint8_t>(bytes_.data() + n * blockSize, blockSize);
}

bool ParamMemory::writeBlock(int n, std::span<const uint8_t> data)
{
    if (n < 0 || n >= blockCount || data.size() < static_cast<size_t>(blockSize))
        return false;
    std::copy_n(data.begin(), blockSize, bytes_.begin() + n * blockSize);
    return save();
}

bool ParamMemory::save() const
{
    if (file_.empty())
        return true;
    // Replace the file whole, so a crash never leaves half a memory behind.
    const std::string tmp = file_ + ".tmp";
    {
        std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes_.data()), totalSize);
        if (!out) {
            logTaggedLevel(3, "DevSim", "cannot write parameter memory %s", tmp.c_str());
            return false;
        }
    }
    if (std::rename(tmp.c_str(), file_.c_str()) != 0) {
        logTaggedLevel(3, "DevSim", "cannot replace parameter memory %s", file_.c_str());
        std::remove(tmp.c_str());
        return false;
    }
    return true;
}

} // namespace kzo::devsim
