#pragma once
// Small text helpers shared by the console, the value parser and the script reader.
#include <string>
#include <vector>

namespace kzo::text {

// UTF-16 <-> code page 936 (GBK).
std::string toLocal8(const std::wstring& wide);
std::wstring fromLocal8(const std::string& narrow);

// Runs of ch become one ch; then one leading and one trailing ch are removed.
void collapseSeparator(std::wstring& text, wchar_t ch);
// Splits at the first ch; false (whole text in head) when ch is absent.
bool splitFirst(const std::wstring& text, std::wstring& head, std::wstring& tail, wchar_t ch);
// Every piece between separators, the last included; empty text gives one empty piece.
void splitAll(const std::wstring& text, std::vector<std::wstring>& pieces, wchar_t ch);
void replaceChar(std::wstring& text, wchar_t from, wchar_t to);
int hexDigitValue(wchar_t c);

} // namespace kzo::text
