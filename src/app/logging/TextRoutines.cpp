#include "app/logging/TextRoutines.h"

#include <cerrno>
#include <iconv.h>
#include <string_view>

namespace kzo::text {

namespace {

// Converts with iconv; characters the target cannot hold are skipped rather
// than aborting the whole conversion.
std::string convert(const char* to, const char* from, const char* data, size_t size)
{
    std::string out;
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1))
        return out;
    char* in = const_cast<char*>(data);
    size_t inLeft = size;
    char buf[1024];
    while (inLeft > 0) {
        char* o = buf;
        size_t oLeft = sizeof buf;
        size_t r = iconv(cd, &in, &inLeft, &o, &oLeft);
        out.append(buf, sizeof buf - oLeft);
        if (r == static_cast<size_t>(-1)) {
            if (errno == E2BIG)
                continue;
            if (errno == EILSEQ || errno == EINVAL) {
                // Skip one unit of input and carry on.
                const size_t unit = std::string_view(from) == "UTF-32LE" ? 4 : 1;
                if (inLeft < unit)
                    break;
                in += unit;
                inLeft -= unit;
                continue;
            }
            break;
        }
    }
    iconv_close(cd);
    return out;
}

} // namespace

std::string toLocal8(const std::wstring& wide)
{
    static_assert(sizeof(wchar_t) == 4, "wchar_t is UTF-32 on Linux");
    return convert("GBK", "UTF-32LE", reinterpret_cast<const char*>(wide.data()), wide.size() * sizeof(wchar_t));
}

std::wstring fromLocal8(const std::string& narrow)
{
    std::string bytes = convert("UTF-32LE", "GBK", narrow.data(), narrow.size());
    std::wstring out(bytes.size() / 4, L'\0');
    for (size_t i = 0; i < out.size(); ++i) {
        const auto* b = reinterpret_cast<const unsigned char*>(bytes.data() + i * 4);
        out[i] = static_cast<wchar_t>(b[0] | (b[1] << 8) | (b[2] << 16) | (b[3] << 24));
    }
    return out;
}

void collapseSeparator(std::wstring& text, wchar_t ch)
{
    std::wstring out;
    out.reserve(text.size());
    for (wchar_t c : text) {
        if (c == ch && !out.empty() && out.back() == ch)
            continue;
        out.push_back(c);
    }
    if (!out.empty() && out.front() == ch)
        out.erase(out.begin());
    if (!out.empty() && out.back() == ch)
        out.pop_back();
    text = std::move(out);
}

bool splitFirst(const std::wstring& text, std::wstring& head, std::wstring& tail, wchar_t ch)
{
    const auto pos = text.find(ch);
    if (pos == std::wstring::npos) {
        head = text;
        return false;
    }
    head = text.substr(0, pos);
    tail = text.substr(pos + 1);
    return true;
}

void splitAll(const std::wstring& text, std::vector<std::wstring>& pieces, wchar_t ch)
{
    pieces.clear();
    size_t start = 0;
    for (;;) {
        const auto pos = text.find(ch, start);
        if (pos == std::wstring::npos) {
            pieces.push_back(text.substr(start));
            return;
        }
        pieces.push_back(text.substr(start, pos - start));
        start = pos + 1;
    }
}

void replaceChar(std::wstring& text, wchar_t from, wchar_t to)
{
    for (auto& c : text)
        if (c == from)
            c = to;
}

int hexDigitValue(wchar_t c)
{
    if (c >= L'0' && c <= L'9')
        return c - L'0';
    if (c >= L'A' && c <= L'F')
        return c - L'A' + 10;
    if (c >= L'a' && c <= L'f')
        return c - L'a' + 10;
    return 0;
}

} // namespace kzo::text
