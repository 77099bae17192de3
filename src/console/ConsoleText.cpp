#include "console/ConsoleText.h"

#include "app/logging/TextRoutines.h"

#include <QString>
#include <fstream>

namespace orb::console {

std::wstring normalise(const std::wstring& line)
{
    std::wstring text = line;
    kzo::text::replaceChar(text, L'\t', L' ');
    kzo::text::collapseSeparator(text, L' ');
    return text;
}

std::vector<std::wstring> splitWords(const std::wstring& line)
{
    const std::wstring text = normalise(line);
    std::vector<std::wstring> words;
    if (text.empty())
        return words;
    kzo::text::splitAll(text, words, L' ');
    return words;
}

std::string toUtf8(const std::wstring& text) { return QString::fromStdWString(text).toStdString(); }

std::wstring fromUtf8(const std::string& text) { return QString::fromStdString(text).toStdWString(); }

bool readLines(const std::wstring& path, std::vector<std::wstring>& lines)
{
    std::ifstream in(toUtf8(path), std::ios::binary);
    if (!in)
        return false;
    lines.clear();
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(fromUtf8(line));
    }
    return true;
}

} // namespace orb::console
