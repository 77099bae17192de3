#pragma once
// Tagged device value: little-endian bytes of one of ten numeric types.
#include <cstdint>
#include <string>
#include <vector>

namespace orb {

enum DevType : int {
    TypeUnknown = 0,
    TypeInt8s = 1,
    TypeInt16s = 2,
    TypeInt32s = 3,
    TypeInt64s = 4,
    TypeFloat32 = 5,
    TypeFloat64 = 6,
    TypeInt8u = 7,
    TypeInt16u = 8,
    TypeInt32u = 9,
    TypeInt64u = 10,
};

struct DevValue {
    uint8_t raw[8] = {};
    std::vector<uint8_t> bytes;
    int type = TypeUnknown;
};

std::wstring typeName(int code);
int typeFromName(const std::wstring& name);
int typeSize(int code);
int readFromBytes(const uint8_t* src, DevValue& value);

// Reads text into value.raw by value.type: decimal first, hexadecimal when the
// decimal reading gives 0 (so "0x1F" and "0A" work). Returns false for an
// unknown type and for text that is not wholly a number; the value is then
// left unchanged.
bool parseValue(const std::wstring& text, DevValue& value);
std::wstring formatValue(const DevValue& value);

} // namespace orb
