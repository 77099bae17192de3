// Typed device values read from text (console, scripts).
//
// Input: a control byte (bits 0-3 the type code, bit 4 the mode), then data.
// Text mode: the data is the text. A rejected text leaves the value alone; an
// accepted one changes only the bytes of its type, and an integer read back
// from its own printed form gives the same bytes.
// Number mode: a number from the data is printed in decimal (and in
// hexadecimal with 0x for the unsigned types) and must read back exactly,
// within the type's range; floats read back from a round-trip notation.
#include "FuzzSupport.h"
#include "protocol/DevValue.h"

#include <cmath>
#include <cstring>
#include <cwchar>
#include <limits>
#include <string>

using kzo::fuzz::Input;
using namespace orb;

namespace {

constexpr uint8_t filler = 0xA5;

DevValue filled(int type)
{
    DevValue v;
    v.type = type;
    std::memset(v.raw, filler, sizeof v.raw);
    return v;
}

bool isInteger(int type) { return type >= 1 && type <= 10 && type != TypeFloat32 && type != TypeFloat64; }
bool isUnsigned(int type) { return type >= TypeInt8u && type <= TypeInt64u; }

void checkUntouchedBeyond(const DevValue& v, int from)
{
    for (int i = from; i < 8; ++i)
        KZO_CHECK(v.raw[i] == filler);
}

void textMode(int type, const std::wstring& text)
{
    DevValue v = filled(type);
    const bool ok = parseValue(text, v);
    KZO_CHECK(v.type == type);
    if (!ok) {
        checkUntouchedBeyond(v, 0);
        return;
    }
    KZO_CHECK(type >= 1 && type <= 10);
    const int n = typeSize(type);
    KZO_CHECK(n > 0 && n <= 8);
    checkUntouchedBeyond(v, n);
    if (!isInteger(type))
        return;
    // What was stored prints as a number of its type that reads back the same.
    DevValue again = filled(type);
    KZO_CHECK(parseValue(formatValue(v), again));
    KZO_CHECK(std::memcmp(again.raw, v.raw, 8) == 0);
}

template <class T>
void expectStored(const DevValue& v, T expected)
{
    T got;
    std::memcpy(&got, v.raw, sizeof got);
    KZO_CHECK(std::memcmp(&got, &expected, sizeof got) == 0);
    checkUntouchedBeyond(v, static_cast<int>(sizeof(T)));
}

std::wstring printed(const char* fmt, auto x)
{
    wchar_t buf[64];
    const std::wstring wfmt(fmt, fmt + std::strlen(fmt));
    std::swprintf(buf, 64, wfmt.c_str(), x);
    return buf;
}

void numberMode(int type, uint64_t bits)
{
    DevValue v = filled(type);
    switch (type) {
    case TypeInt8s:
    case TypeInt16s:
    case TypeInt32s: {
        const auto x = static_cast<int32_t>(bits);
        KZO_CHECK(parseValue(std::to_wstring(x), v));
        if (type == TypeInt8s)
            expectStored(v, static_cast<int8_t>(x)); // the low bits are kept
        else if (type == TypeInt16s)
            expectStored(v, static_cast<int16_t>(x));
        else
            expectStored(v, x);
        break;
    }
    case TypeInt64s: {
        const auto x = static_cast<int64_t>(bits);
        KZO_CHECK(parseValue(std::to_wstring(x), v));
        expectStored(v, x);
        break;
    }
    case TypeInt8u:
    case TypeInt16u:
    case TypeInt32u: {
        const auto x = static_cast<uint32_t>(bits);
        for (const std::wstring& text : {std::to_wstring(x), printed("0x%X", x), printed("0x%x", x)}) {
            DevValue w = filled(type);
            KZO_CHECK(parseValue(text, w));
            if (type == TypeInt8u)
                expectStored(w, static_cast<uint8_t>(x));
            else if (type == TypeInt16u)
                expectStored(w, static_cast<uint16_t>(x));
            else
                expectStored(w, x);
        }
        break;
    }
    case TypeInt64u: {
        const auto x = static_cast<unsigned long long>(bits);
        for (const std::wstring& text : {std::to_wstring(x), printed("0x%llX", x)}) {
            DevValue w = filled(type);
            KZO_CHECK(parseValue(text, w));
            expectStored(w, static_cast<uint64_t>(x));
        }
        break;
    }
    case TypeFloat32: {
        float x;
        const auto b32 = static_cast<uint32_t>(bits);
        std::memcpy(&x, &b32, 4);
        if (!std::isnormal(x) && x != 0.0f)
            return; // infinities, NaN and subnormals have no portable text form
        KZO_CHECK(parseValue(printed("%.9g", static_cast<double>(x)), v));
        expectStored(v, x);
        break;
    }
    case TypeFloat64: {
        double x;
        std::memcpy(&x, &bits, 8);
        if (!std::isnormal(x) && x != 0.0)
            return;
        KZO_CHECK(parseValue(printed("%.17g", x), v));
        expectStored(v, x);
        break;
    }
    default:
        KZO_CHECK(!parseValue(std::to_wstring(bits), v));
        checkUntouchedBeyond(v, 0);
        break;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Input in({data, size});
    const uint8_t control = in.byte();
    const int type = control & 0x0F; // 11..15 and 0 are unknown types
    if (control & 0x10) {
        numberMode(type, in.u64());
    } else {
        // Bytes as Latin-1 characters.
        std::wstring text;
        for (uint8_t b : in.rest())
            text += static_cast<wchar_t>(b);
        textMode(type, text);
    }
    // The names read back to their codes (the float types by their C names).
    const int code = type % 11;
    if (code >= 1 && code <= 10 && code != TypeFloat32 && code != TypeFloat64)
        KZO_CHECK(typeFromName(typeName(code)) == code);
    return 0;
}
