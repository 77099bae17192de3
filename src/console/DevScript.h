#pragma once
// Builds one raw frame from a small script file, field by field, and writes it
// to the current device I/O. Run by the console command "cmd [file]".
//
// Script lines: "begin data" ... "end" holds the data lines
//   <type> <name> const <literal>
//   <type> <name> value <group> <model name...>
//   <type> <name> func length|crc_16
//   <type> <name> null <count>
// ";" and "#" start comments; "begin modify" sections and lines outside any
// section are accepted without effect.
#include "protocol/DevModel.h"
#include "protocol/Singleton.h"

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace orb {

class DevScript : public SingletonEx<DevScript> {
public:
    explicit DevScript(DevModel* model = &devModel());

    // Builds and sends the frame; failures are printed. Returns true when a
    // frame was handed to the device I/O.
    bool run(const std::wstring& path);

    const std::vector<uint8_t>& lastFrame() const { return frameBytes; }

    // Largest frame a script may lay out (the record length is 16 bits).
    static constexpr long long kMaxScriptFrame = 65535;

private:
    using Line = std::pair<int, std::wstring>;
    bool layoutPass();
    bool fillPass();
    void scriptError(const Line& line);

    std::vector<uint8_t> frameBytes;
    std::map<std::wstring, int> fieldOffsets;
    std::vector<Line> dataLines, modifyLines, plainLines;
    DevModel* deviceModel;
    int frameLength = 0;
};

} // namespace orb
