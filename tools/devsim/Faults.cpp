#include "Faults.h"

#include <charconv>
#include <cstdio>
#include <cstdlib>

namespace kzo::devsim {

bool FaultSetting::parse(std::string_view text)
{
    count = 0;
    rate = 0.0;
    if (text.empty())
        return true;
    if (text.find('.') != std::string_view::npos) {
        const std::string s(text);
        char* end = nullptr;
        const double r = std::strtod(s.c_str(), &end);
        if (end != s.c_str() + s.size() || r < 0.0 || r > 1.0)
            return false;
        rate = r;
        return true;
    }
    int n = 0;
    const auto [p, ec] = std::from_chars(text.data(), text.data() + text.size(), n);
    if (ec != std::errc() || p != text.data() + text.size() || n < 0)
        return false;
    count = n;
    return true;
}

std::string FaultSetting::describe() const
{
    char buf[48];
    if (count > 0)
        std::snprintf(buf, sizeof buf, "first %d", count);
    else if (rate > 0.0)
        std::snprintf(buf, sizeof buf, "rate %.3f", rate);
    else
        std::snprintf(buf, sizeof buf, "off");
    return buf;
}

bool Faults::roll(FaultSetting& setting)
{
    if (setting.count > 0) {
        --setting.count;
        return true;
    }
    if (setting.rate <= 0.0)
        return false;
    return std::bernoulli_distribution(setting.rate)(rng_);
}

int Faults::uniform(int lo, int hi)
{
    return std::uniform_int_distribution<int>(lo, hi)(rng_);
}

uint8_t Faults::noiseByte()
{
    for (;;) {
        const auto b = static_cast<uint8_t>(uniform(0, 255));
        if (b != 0x55 && b != 0xAA)
            return b;
    }
}

} // namespace kzo::devsim
