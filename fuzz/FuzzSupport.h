#pragma once
// Small pieces shared by the fuzz targets: a failed property aborts with a
// message (libFuzzer then saves the input), a deterministic generator driven
// by the input's own bytes, and a private scratch folder for targets that
// need files.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <span>
#include <string>

#include <fcntl.h>
#include <unistd.h>

namespace kzo::fuzz {

[[noreturn]] inline void fail(const char* what, const char* file, int line)
{
    std::fprintf(stderr, "\nPROPERTY VIOLATED at %s:%d: %s\n", file, line, what);
    std::abort();
}

#define KZO_CHECK(cond)                                                                                             \
    do {                                                                                                           \
        if (!(cond))                                                                                               \
            ::kzo::fuzz::fail(#cond, __FILE__, __LINE__);                                                          \
    } while (0)

// Reads control values from the front of the input; the rest is the data.
class Input {
public:
    explicit Input(std::span<const uint8_t> bytes) : bytes_(bytes) {}

    uint8_t byte()
    {
        if (bytes_.empty())
            return 0;
        const uint8_t b = bytes_.front();
        bytes_ = bytes_.subspan(1);
        return b;
    }
    uint64_t u64()
    {
        uint64_t v = 0;
        for (int i = 0; i < 8; ++i)
            v = (v << 8) | byte();
        return v;
    }
    std::span<const uint8_t> rest() const { return bytes_; }

private:
    std::span<const uint8_t> bytes_;
};

// xorshift64*: the split points and other choices come from the input, so a
// saved crash input replays exactly.
class Choices {
public:
    explicit Choices(uint64_t seed) : s_(seed | 1) {}
    uint64_t next()
    {
        s_ ^= s_ >> 12;
        s_ ^= s_ << 25;
        s_ ^= s_ >> 27;
        return s_ * 0x2545F4914F6CDD1DULL;
    }
    // 1..max
    size_t upTo(size_t max) { return max <= 1 ? 1 : 1 + static_cast<size_t>(next() % max); }

private:
    uint64_t s_;
};

// Output of the code under test goes nowhere: printing every rejected input
// would be most of the run time.
inline int devNull()
{
    static const int fd = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    return fd;
}

// A folder of this process under the system's temporary folder, created once
// and removed at exit (an aborted run leaves it for the post-mortem).
inline const std::string& scratchDir()
{
    struct Scratch {
        std::string path;
        ~Scratch()
        {
            std::error_code ec;
            std::filesystem::remove_all(path, ec);
        }
    };
    static const Scratch dir{[] {
        const char* base = std::getenv("TMPDIR");
        std::string tmpl = std::string(base && *base ? base : "/tmp") + "/kzo-fuzz-XXXXXX";
        if (!::mkdtemp(tmpl.data()))
            fail("cannot create a scratch folder", __FILE__, __LINE__);
        return tmpl;
    }()};
    return dir.path;
}

// Writes bytes to path (replacing it); aborts when the disk refuses, since
// every later check would be meaningless.
inline void writeWhole(const std::string& path, std::span<const uint8_t> bytes)
{
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        fail("cannot write a scratch file", __FILE__, __LINE__);
    if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size())
        fail("short write of a scratch file", __FILE__, __LINE__);
    std::fclose(f);
}

} // namespace kzo::fuzz
