#include "protocol/DevValue.h"

#include <cstring>
#include <sstream>

namespace orb {

namespace {

const wchar_t* const printNames[11] = {L"unknown", L"int8s", L"int16s", L"int32s", L"int64s", L"float32",
    L"float64", L"int8u", L"int16u", L"int32u", L"int64u"};
// The float types are read back from their C names; the tables are not symmetric.
const wchar_t* const readNames[11] = {nullptr, L"int8s", L"int16s", L"int32s", L"int64s", L"float", L"double",
    L"int8u", L"int16u", L"int32u", L"int64u"};
const int sizes[11] = {0, 1, 2, 4, 8, 4, 8, 1, 2, 4, 8};

// True when nothing but trailing white space is left in the stream.
bool fullyConsumed(std::wistringstream& in)
{
    if (in.eof())
        return true;
    in.clear(in.rdstate() & ~std::ios::failbit);
    in >> std::ws;
    return in.eof();
}

// One reading of the whole text with the given base; ok only when it read a
// number and nothing but white space follows.
template <class T>
bool readWhole(const std::wstring& text, T& out, bool hex)
{
    std::wistringstream in(text);
    if (hex)
        in >> std::hex;
    T v{};
    in >> v;
    if (in.fail())
        return false;
    if (!fullyConsumed(in))
        return false;
    out = v;
    return true;
}

// Decimal reading; where it yields 0 the hexadecimal reading of the whole text
// decides (which also accepts the 0x prefix).
template <class T>
bool readInteger(const std::wstring& text, T& out)
{
    std::wistringstream in(text);
    T v{};
    in >> v;
    if (in.fail())
        return false;
    if (v != 0)
        return fullyConsumed(in) ? (out = v, true) : false;
    if (fullyConsumed(in)) {
        out = 0;
        return true;
    }
    return readWhole(text, out, true);
}

template <class T>
void store(DevValue& value, T v)
{
    std::memcpy(value.raw, &v, sizeof v);
}

template <class T>
T load(const DevValue& value)
{
    T v;
    std::memcpy(&v, value.raw, sizeof v);
    return v;
}

} // namespace

std::wstring typeName(int code)
{
    if (code < 1 || code > 10)
        return printNames[0];
    return printNames[code];
}

int typeFromName(const std::wstring& name)
{
    for (int i = 1; i <= 10; ++i)
        if (name == readNames[i])
            return i;
    return 0;
}

int typeSize(int code)
{
    if (code < 0 || code > 10)
        return 0;
    return sizes[code];
}

int readFromBytes(const uint8_t* src, DevValue& value)
{
    const int n = typeSize(value.type);
    if (n > 0)
        std::memcpy(value.raw, src, static_cast<size_t>(n));
    return n;
}

bool parseValue(const std::wstring& text, DevValue& value)
{
    switch (value.type) {
    case TypeInt8s: {
        int32_t v;
        if (!readInteger(text, v))
            return false;
        store(value, static_cast<int8_t>(v));
        return true;
    }
    case TypeInt16s: {
        int32_t v;
        if (!readInteger(text, v))
            return false;
        store(value, static_cast<int16_t>(v));
        return true;
    }
    case TypeInt32s: {
        int32_t v;
        if (!readInteger(text, v))
            return false;
        store(value, v);
        return true;
    }
    case TypeInt64s: {
        long long v;
        if (!readInteger(text, v))
            return false;
        store(value, static_cast<int64_t>(v));
        return true;
    }
    case TypeFloat32: {
        float v;
        if (!readWhole(text, v, false))
            return false;
        store(value, v);
        return true;
    }
    case TypeFloat64: {
        double v;
        if (!readWhole(text, v, false))
            return false;
        store(value, v);
        return true;
    }
    case TypeInt8u: {
        uint32_t v;
        if (!readInteger(text, v))
            return false;
        store(value, static_cast<uint8_t>(v));
        return true;
    }
    case TypeInt16u: {
        uint32_t v;
        if (!readInteger(text, v))
            return false;
        store(value, static_cast<uint16_t>(v));
        return true;
    }
    case TypeInt32u: {
        uint32_t v;
        if (!readInteger(text, v))
            return false;
        store(value, v);
        return true;
    }
    case TypeInt64u: {
        unsigned long long v;
        if (!readInteger(text, v))
            return false;
        store(value, static_cast<uint64_t>(v));
        return true;
    }
    default:
        return false;
    }
}

std::wstring formatValue(const DevValue& value)
{
    std::wostringstream out;
    switch (value.type) {
    case TypeInt8s: out << static_cast<int>(load<int8_t>(value)); break;
    case TypeInt16s: out << load<int16_t>(value); break;
    case TypeInt32s: out << load<int32_t>(value); break;
    case TypeInt64s: out << static_cast<long long>(load<int64_t>(value)); break;
    case TypeFloat32: out << load<float>(value); break;
    case TypeFloat64: out << load<double>(value); break;
    case TypeInt8u: out << static_cast<unsigned>(load<uint8_t>(value)); break;
    case TypeInt16u: out << load<uint16_t>(value); break;
    case TypeInt32u: out << load<uint32_t>(value); break;
    case TypeInt64u: out << static_cast<unsigned long long>(load<uint64_t>(value)); break;
    default: return L"Unknown";
    }
    return out.str();
}

} // namespace orb
