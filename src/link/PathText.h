#pragma once
// Port names travel as wide strings through the device interfaces; the file
// system wants bytes. UTF-8 both ways, with undecodable bytes carried as
// U+DC80..U+DCFF so every path survives the round trip unchanged.
#include <string>

namespace kzo::link {

std::string toPath(const std::wstring& name);
std::wstring fromPath(const std::string& path);

} // namespace kzo::link
