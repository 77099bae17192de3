#include "link/PathText.h"

namespace kzo::link {

namespace {

void put(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

} // namespace

std::string toPath(const std::wstring& name)
{
    std::string out;
    out.reserve(name.size());
    for (wchar_t w : name) {
        const auto c = static_cast<char32_t>(w);
        if (c >= 0xDC80 && c <= 0xDCFF)
            out += static_cast<char>(c - 0xDC00); // an escaped raw byte
        else if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
            out += '?';
        else
            put(out, c);
    }
    return out;
}

std::wstring fromPath(const std::string& path)
{
    std::wstring out;
    out.reserve(path.size());
    const auto* p = reinterpret_cast<const unsigned char*>(path.data());
    const size_t n = path.size();
    for (size_t i = 0; i < n;) {
        const unsigned char b = p[i];
        int len = 0;
        char32_t c = 0;
        if (b < 0x80) {
            len = 1;
            c = b;
        } else if ((b & 0xE0) == 0xC0) {
            len = 2;
            c = b & 0x1F;
        } else if ((b & 0xF0) == 0xE0) {
            len = 3;
            c = b & 0x0F;
        } else if ((b & 0xF8) == 0xF0) {
            len = 4;
            c = b & 0x07;
        }
        bool ok = len > 0 && i + static_cast<size_t>(len) <= n;
        for (int k = 1; ok && k < len; ++k) {
            if ((p[i + k] & 0xC0) != 0x80)
                ok = false;
            else
                c = (c << 6) | (p[i + k] & 0x3F);
        }
        // Reject overlong forms and surrogates so the escape stays unambiguous.
        static constexpr char32_t minimum[5] = {0, 0, 0x80, 0x800, 0x10000};
        if (ok && (c < minimum[len] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)))
            ok = false;
        if (!ok) {
            out += static_cast<wchar_t>(0xDC00 + b);
            ++i;
            continue;
        }
        out += static_cast<wchar_t>(c);
        i += static_cast<size_t>(len);
    }
    return out;
}

} // namespace kzo::link
