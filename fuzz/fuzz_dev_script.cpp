// The console's script language: a script file laid out into one raw frame.
//
// Input: the script text. A script that runs hands exactly one frame to the
// device I/O, the frame it reports, within the largest frame a script may
// lay out; one that fails hands over nothing. Running the same script again
// gives the same frame. The device model holds a few values for "value"
// fields.
#include "FuzzSupport.h"
#include "app/logging/Log.h"
#include "console/DevScript.h"
#include "link/DevIo.h"
#include "protocol/DevModel.h"

#include <string>
#include <vector>

using namespace orb;

namespace {

class CaptureIo : public NullDevIo {
public:
    bool write(const uint8_t* frame, int size) override
    {
        KZO_CHECK(size >= 0);
        frames.emplace_back(frame, frame + size);
        return true;
    }
    std::vector<std::vector<uint8_t>> frames;
};

CaptureIo* io = nullptr;
DevModel* model = nullptr;
DevScript* script = nullptr;

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    kzo::log::setOutputFd(kzo::fuzz::devNull());
    static CaptureIo captureIo;
    static DevModel devModel;
    static DevScript devScript(&devModel);
    io = &captureIo;
    model = &devModel;
    script = &devScript;
    currentDevIo = io;
    DevValue v;
    v.type = TypeInt16u;
    v.raw[0] = 0x34;
    v.raw[1] = 0x12;
    model->set(L"gimbal", L"pitch limit", v);
    v.type = TypeInt64s;
    for (int i = 0; i < 8; ++i)
        v.raw[i] = static_cast<uint8_t>(0xF0 + i);
    model->set(L"a", L"b", v);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string path = kzo::fuzz::scratchDir() + "/script.txt";
    kzo::fuzz::writeWhole(path, {data, size});
    const std::wstring wpath(path.begin(), path.end());

    io->frames.clear();
    const bool ok = script->run(wpath);
    if (!ok) {
        KZO_CHECK(io->frames.empty());
        return 0;
    }
    KZO_CHECK(io->frames.size() == 1);
    const std::vector<uint8_t> frame = io->frames.front();
    KZO_CHECK(!frame.empty());
    KZO_CHECK(static_cast<long long>(frame.size()) <= DevScript::kMaxScriptFrame);
    KZO_CHECK(frame == script->lastFrame());

    io->frames.clear();
    KZO_CHECK(script->run(wpath));
    KZO_CHECK(io->frames.size() == 1 && io->frames.front() == frame);
    return 0;
}
