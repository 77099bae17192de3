#pragma once
// Word splitting and terminal text shared by the console and the script reader.
#include <string>
#include <vector>

namespace orb::console {

// Tabs become spaces, runs of spaces collapse, the ends are trimmed, then the
// line is split at the spaces. A blank line gives no words.
std::vector<std::wstring> splitWords(const std::wstring& line);
// The normalised line itself (same rules, not split).
std::wstring normalise(const std::wstring& line);

// Terminal and file-name text is UTF-8 on this platform.
std::string toUtf8(const std::wstring& text);
std::wstring fromUtf8(const std::string& text);

// Reads a text file as lines (UTF-8, a trailing CR removed); false when it
// cannot be opened.
bool readLines(const std::wstring& path, std::vector<std::wstring>& lines);

} // namespace orb::console
