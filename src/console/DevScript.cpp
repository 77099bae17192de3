#include "console/DevScript.h"

#include "app/logging/Log.h"
#include "console/ConsoleText.h"
#include "link/DevIo.h"
#include "protocol/DevValue.h"

#include <cstring>

namespace orb {

namespace {

enum class Section { Plain, Data, Modify };

// One data line taken apart. The rest of the line (model name) may hold spaces.
struct Field {
    int type = TypeUnknown;
    std::wstring name, kind, argument, rest;
};

bool splitField(const std::wstring& text, Field& f)
{
    const auto words = console::splitWords(text);
    if (words.size() < 4)
        return false;
    f.type = typeFromName(words[0]);
    f.name = words[1];
    f.kind = words[2];
    f.argument = words[3];
    f.rest.clear();
    for (size_t i = 4; i < words.size(); ++i) {
        if (!f.rest.empty())
            f.rest += L' ';
        f.rest += words[i];
    }
    return true;
}

// Decimal count of "null" fields; false when the text is not a number.
bool parseCount(const std::wstring& text, long long& n)
{
    try {
        size_t used = 0;
        n = std::stoll(text, &used, 10);
        return used == text.size();
    } catch (...) {
        return false;
    }
}

} // namespace

DevScript::DevScript(DevModel* model) : deviceModel(model) {}

void DevScript::scriptError(const Line& line)
{
    logStdout("Script Error [%4d] : %s\n", line.first, console::toUtf8(line.second).c_str());
}

bool DevScript::run(const std::wstring& path)
{
    std::vector<std::wstring> lines;
    if (!console::readLines(path, lines))
        return false;
    dataLines.clear();
    modifyLines.clear();
    plainLines.clear();
    frameBytes.clear();
    fieldOffsets.clear();
    frameLength = 0;

    Section section = Section::Plain;
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::wstring text = console::normalise(lines[i]);
        if (text.empty() || text[0] == L';' || text[0] == L'#')
            continue;
        const Line line{static_cast<int>(i + 1), text};
        if (text == L"begin data") {
            section = Section::Data;
        } else if (text == L"begin modify") {
            section = Section::Modify;
        } else if (text.starts_with(L"end")) {
            section = Section::Plain;
        } else if (section == Section::Data) {
            dataLines.push_back(line);
        } else if (section == Section::Modify) {
            modifyLines.push_back(line);
        } else {
            plainLines.push_back(line);
        }
    }

    const bool ok = layoutPass() && fillPass();
    if (!ok) {
        logStdout("create command fail!\n");
        return false;
    }
    return currentDevIo && currentDevIo->write(frameBytes.data(), frameLength);
}

bool DevScript::layoutPass()
{
    for (const Line& line : dataLines) {
        Field f;
        if (!splitField(line.second, f) || f.type == TypeUnknown) {
            scriptError(line);
            return false;
        }
        long long size = typeSize(f.type);
        if (f.kind == L"null") {
            long long n = 0;
            if (!parseCount(f.argument, n)) {
                scriptError(line);
                return false;
            }
            if (n > 0)
                size += n - 1;
        }
        // A frame never comes near this; it only keeps a wild count from
        // overflowing the length.
        if (frameLength + size > kMaxScriptFrame) {
            scriptError(line);
            return false;
        }
        fieldOffsets[f.name] = frameLength;
        frameLength += static_cast<int>(size);
    }
    if (frameLength <= 0)
        return false;
    frameBytes.assign(static_cast<size_t>(frameLength), 0);
    return true;
}

bool DevScript::fillPass()
{
    for (const Line& line : dataLines) {
        Field f;
        splitField(line.second, f);
        const int offset = fieldOffsets[f.name];
        const int size = typeSize(f.type);
        // A name used twice keeps the later offset; the field must still fit.
        if (offset + size > frameLength) {
            scriptError(line);
            return false;
        }
        uint8_t* dst = frameBytes.data() + offset;
        DevValue v;
        v.type = f.type;
        if (f.kind == L"const") {
            if (!parseValue(f.argument, v)) {
                scriptError(line);
                return false;
            }
            std::memcpy(dst, v.raw, static_cast<size_t>(size));
        } else if (f.kind == L"value") {
            if (deviceModel) {
                if (const DevValue* m = deviceModel->find(f.argument, f.rest))
                    std::memcpy(dst, m->raw, static_cast<size_t>(size));
            }
        } else if (f.kind == L"func") {
            if (f.argument == L"length") {
                if (!parseValue(std::to_wstring(frameLength), v)) {
                    scriptError(line);
                    return false;
                }
                std::memcpy(dst, v.raw, static_cast<size_t>(size));
            } else if (f.argument != L"crc_16") {
                // The device I/O seals the checksum; crc_16 only reserves room.
                scriptError(line);
                return false;
            }
        } else if (f.kind != L"null") {
            scriptError(line);
            return false;
        }
    }
    return true;
}

} // namespace orb
