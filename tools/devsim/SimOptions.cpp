#include "SimOptions.h"

#include "ImageSink.h"
#include "app/config/GlobalCfg.h"

#include <charconv>
#include <cstdlib>
#include <functional>
#include <string_view>
#include <vector>

namespace kzo::devsim {

namespace {

bool toNumber(const std::string& s, long& out, long lo, long hi)
{
    int base = 10;
    std::string_view v = s;
    if (v.size() > 2 && v[0] == '0' && (v[1] == 'x' || v[1] == 'X')) {
        base = 16;
        v.remove_prefix(2);
    }
    const auto [p, ec] = std::from_chars(v.data(), v.data() + v.size(), out, base);
    return ec == std::errc() && p == v.data() + v.size() && out >= lo && out <= hi;
}

bool toSeconds(const std::string& s, double& out)
{
    char* end = nullptr;
    out = std::strtod(s.c_str(), &end);
    return !s.empty() && end == s.c_str() + s.size() && out >= 0.0;
}

struct Option {
    const char* name;
    const char* arg; // nullptr: a flag
    const char* help;
    std::function<bool(SimOptions&, const std::string&)> apply;
};

template <class T>
std::function<bool(SimOptions&, const std::string&)> number(T SimOptions::*field, long lo, long hi)
{
    return [=](SimOptions& o, const std::string& v) {
        long n = 0;
        if (!toNumber(v, n, lo, hi))
            return false;
        o.*field = static_cast<T>(n);
        return true;
    };
}

std::function<bool(SimOptions&, const std::string&)> version(Version SimOptions::*field)
{
    return [=](SimOptions& o, const std::string& v) { return (o.*field).parse(v); };
}

// "P,C,S" or "P,C,S,L": procedure, code, seconds, record length.
bool injectedReport(SimOptions& o, const std::string& v)
{
    std::vector<std::string> parts;
    for (size_t from = 0;;) {
        const size_t comma = v.find(',', from);
        parts.push_back(v.substr(from, comma == std::string::npos ? std::string::npos : comma - from));
        if (comma == std::string::npos)
            break;
        from = comma + 1;
    }
    long procedure = 0, code = 0, length = 39;
    InjectedReport r;
    if ((parts.size() != 3 && parts.size() != 4) || !toNumber(parts[0], procedure, 0, 255) || !toNumber(parts[1], code, 0, 255)
        || !toSeconds(parts[2], r.seconds) || (parts.size() == 4 && !toNumber(parts[3], length, 31, 200)))
        return false;
    r.procedure = static_cast<uint8_t>(procedure);
    r.code = static_cast<uint8_t>(code);
    r.length = static_cast<int>(length);
    o.calibrationReports.push_back(r);
    return true;
}

std::function<bool(SimOptions&, const std::string&)> fault(FaultSetting SimOptions::*field)
{
    return [=](SimOptions& o, const std::string& v) { return (o.*field).parse(v); };
}

// "ACK,OFFSET,VALUE": one data byte of a stored flight-controller record.
bool fcByte(SimOptions& o, const std::string& v)
{
    const size_t c1 = v.find(',');
    const size_t c2 = c1 == std::string::npos ? c1 : v.find(',', c1 + 1);
    if (c2 == std::string::npos)
        return false;
    long ack = 0, offset = 0, value = 0;
    if (!toNumber(v.substr(0, c1), ack, 0, 0xFFFF) || !toNumber(v.substr(c1 + 1, c2 - c1 - 1), offset, 0, 255)
        || !toNumber(v.substr(c2 + 1), value, 0, 255))
        return false;
    // Only the stored records: the channels and the voltage are live readings.
    const FcModel::Read* r = FcModel::readOfAck(static_cast<uint16_t>(ack));
    if (!r || r->live || offset >= r->dataSize)
        return false;
    o.fc.bytes.push_back(FcByte{static_cast<uint16_t>(ack), static_cast<int>(offset), static_cast<uint8_t>(value)});
    return true;
}

// A parameter block number 0..7, added to one of the block-fault sets.
std::function<bool(SimOptions&, const std::string&)> paramBlock(std::set<int> ParamFaultOptions::*field)
{
    return [=](SimOptions& o, const std::string& v) {
        long k = 0;
        if (!toNumber(v, k, 0, 7))
            return false;
        (o.paramFaults.*field).insert(static_cast<int>(k));
        return true;
    };
}

const std::vector<Option>& options()
{
    static const std::vector<Option> table = {
        {"--help", nullptr, "Print this text and exit; no pty is opened.",
         [](SimOptions& o, const std::string&) { return o.help = true; }},
        {"--version", nullptr, "Print the version and exit.", [](SimOptions& o, const std::string&) { return o.version = true; }},
        {"--exit-with-parent", nullptr,
         "End (as on SIGTERM) when the process that started the simulator ends.\n"
         "Without it the simulator keeps running until it is stopped.",
         [](SimOptions& o, const std::string&) { return o.exitWithParent = true; }},
        {"--link", "PATH", "Also make a symbolic link PATH to the pty slave (removed on exit).",
         [](SimOptions& o, const std::string& v) { o.link = v; return !v.empty(); }},
        {"--duration", "S", "Exit after S seconds (default: run until SIGTERM/SIGINT).",
         [](SimOptions& o, const std::string& v) { return toSeconds(v, o.duration); }},
        {"--unplug-after", "S", "After S seconds close the pty (the program sees a hang-up, as if the\n"
                                "device was pulled out) and exit.",
         [](SimOptions& o, const std::string& v) { return toSeconds(v, o.unplugAfter); }},
        {"--replug-after", "S", "Do not exit on an unplug (--unplug-after, SIGUSR1):\n"
                                "plug in again S seconds later with a new pty, the\n"
                                "--link pointed at it, and log \"replugged: /dev/pts/M\".\n"
                                "The device keeps its state, as when only the cable\n"
                                "was pulled (a module in its loader stays there).",
         [](SimOptions& o, const std::string& v) { return toSeconds(v, o.replugAfter); }},
        {"--unplug-at", "PCT",
         "Unplug (as --unplug-after does) as soon as a firmware image being\n"
         "received reaches PCT percent (0 < PCT <= 100) of its announced size\n"
         "(HEX: of the file's text): the data packet that reaches it is kept\n"
         "but never acknowledged. Once per run. With --replug-after the module\n"
         "is still in its loader when it comes back; a new start packet begins\n"
         "the transfer afresh.",
         [](SimOptions& o, const std::string& v) { return toSeconds(v, o.unplugAtPercent) && o.unplugAtPercent > 0.0 && o.unplugAtPercent <= 100.0; }},
        {"--crc-seed", "N", "Checksum seed for both directions (default 0x0013).", number(&SimOptions::crcSeed, 0, 0xFFFF)},
        {"--no-crc", nullptr, "Neither check received checksums nor write them (checksum bytes stay 0).",
         [](SimOptions& o, const std::string&) { o.crc = false; return true; }},
        {"--loader", "MODULE",
         "Start with MODULE in its boot loader: mc (status 0xFE, handshake not\n"
         "answered), cmu (0xFD, likewise), a CAN module gps|led|pmu|receiver|\n"
         "gnss1|gnss2 or a code (status = the code with its nibbles swapped,\n"
         "handshake answered), imu (0x02B1 after each status report), or\n"
         "pitch|roll|yaw (0xFC/0xFB/0xFA to that module's status request).",
         [](SimOptions& o, const std::string& v) { return (o.loaderModule = moduleCode(v)) != 0; }},
        {"--refuse-loader", "MODULE",
         "MODULE (a name as for --loader, or a code) never enters its boot\n"
         "loader: its enter-loader command (0x0242, 0x1242, 0x2242, 0x3242,\n"
         "0x4242, 0x0FA0, IMU 0x02B0) is logged and not answered, and status\n"
         "reports keep showing it running. May be repeated.",
         [](SimOptions& o, const std::string& v) {
             const int code = moduleCode(v);
             if (code == 0)
                 return false;
             o.refuseLoader.insert(code);
             return true;
         }},
        {"--mc-version", "MAJ.MIN", "Main-controller firmware in the 0x02C1 reply (default 3.2).", version(&SimOptions::mc)},
        {"--fw-minor", "N",
         "Main-controller version word byte 2, the 'minor' number that the main\n"
         "window compares with its fwMinorVersion (default: that value, 0).",
         number(&SimOptions::fwMinor, 0, 255)},
        {"--fw-hide", "N",
         "Main-controller version word byte 1, the 'hide' number compared with\n"
         "fwHideVersion (default: that value, 0). With both defaults there is no\n"
         "firmware mismatch; a larger value gives 'device newer' (result 2).",
         number(&SimOptions::fwHide, 0, 255)},
        {"--imu-hwid", "N", "IMU hardware id, first word of 0x02C1 (default 305419896).", number(&SimOptions::imuHwid, 0, 0xFFFFFFFFL)},
        {"--imu-version", "MAJ.MIN", "IMU firmware, second word of 0x02C1 (default 1.5).", version(&SimOptions::imu)},
        {"--imu-loader", "MAJ.MIN", "IMU loader, fourth word of 0x02C1 (default 1.1).", version(&SimOptions::imuLoader)},
        {"--cmu-version", "MAJ.MIN", "CMU firmware, first word of 0x1245 (default 2.1).", version(&SimOptions::cmu)},
        {"--cmu-loader", "MAJ.MIN", "CMU loader, second word of 0x1245 (default 1.0).", version(&SimOptions::cmuLoader)},
        {"--channel-disconnected", "N", "Channel N (1..8) reports 1001 (disconnected); may be repeated.",
         [](SimOptions& o, const std::string& v) {
             long n = 0;
             if (!toNumber(v, n, 1, 8))
                 return false;
             o.disconnectedChannels |= 1u << (n - 1);
             return true;
         }},
        {"--rotation-time", "S|never",
         "A rotating calibration (0x02A8) reports code 2, finished, S seconds\n"
         "after it started (default 2). never: it keeps rotating, never reports\n"
         "code 2, and every further 0x02A8 is answered with code 1 again.",
         [](SimOptions& o, const std::string& v) {
             if (v == "never") {
                 o.rotateSeconds.reset();
                 return true;
             }
             double s = 0.0;
             if (!toSeconds(v, s))
                 return false;
             o.rotateSeconds = s;
             return true;
         }},
        {"--calibration-report", "P,C,S[,L]",
         "Send a 0x02A9 status report with procedure P (16 range record, 17\n"
         "rotating calibration) and state code C, S seconds after the program's\n"
         "first status request (its connection), whatever the procedures are\n"
         "doing; their own state does not change. L is the record length\n"
         "(default 39, the right one); any other L sends a wrong-length report,\n"
         "its data cut short or padded with zeros (31..200). May be repeated.",
         injectedReport},
        {"--image-dir", "DIR",
         "Write every completely received firmware image to DIR, one file per\n"
         "module, replaced whole when complete: mc.bin, cmu.bin, imu.bin and the\n"
         "CAN modules gps.bin, led.bin, pmu.bin, receiver.bin, gnss1.bin,\n"
         "gnss2.bin (module-<code>.bin for other codes) hold exactly the image\n"
         "bytes (trimmed to the size announced in the start packet or the IMU\n"
         "length packet); pitch.hex, roll.hex, yaw.hex hold the received records\n"
         "written back as Intel HEX text (':' + upper-case hex digits + CR LF\n"
         "per record), equal to the file sent when it was written that way.",
         [](SimOptions& o, const std::string& v) { o.imageDir = v; return !v.empty(); }},
        {"--eeprom", "FILE",
         "Keep the parameter memory in FILE: 1024 raw bytes, block k (0..7) at\n"
         "offset k*128, nothing else. Loaded at start (a shorter file fills the\n"
         "front, the rest keeps the default pattern byte i = i*7+3), written\n"
         "back whole at start and after every stored block write (through a\n"
         "temporary file), so it always equals the memory.",
         [](SimOptions& o, const std::string& v) { o.eeprom = v; return !v.empty(); }},
        {"--param-refuse-block", "K",
         "The write (0x0294) of parameter block K (0..7, address K*128) is\n"
         "answered with result 0 and not stored. May be repeated.",
         paramBlock(&ParamFaultOptions::refuse)},
        {"--param-drop", "N",
         "The first N parameter-block requests (0x0292 reads and 0x0294 writes\n"
         "counted together) get no reply; a dropped write is still stored\n"
         "(only its acknowledgement is lost).",
         [](SimOptions& o, const std::string& v) {
             long n = 0;
             if (!toNumber(v, n, 0, 1000000))
                 return false;
             o.paramFaults.drop = static_cast<int>(n);
             return true;
         }},
        {"--param-wrong-address", "K",
         "The reply for block K (0x0293 read reply and 0x0295 write acknowledge)\n"
         "echoes address (K+1)*128 instead of K*128 (block 7: 0). The data and\n"
         "the write itself stay those of block K. May be repeated.",
         paramBlock(&ParamFaultOptions::wrongAddress)},
        {"--param-wrong-number", "K",
         "The 0x0293 read reply for block K carries block number K+1 in its\n"
         "trailing u16. May be repeated.",
         paramBlock(&ParamFaultOptions::wrongNumber)},
        {"--param-wrong-length", "K",
         "The 0x0293 read reply for block K is one data byte short: record\n"
         "length 168 instead of 169 (127 data bytes, then the block number),\n"
         "a valid frame otherwise. May be repeated.",
         paramBlock(&ParamFaultOptions::wrongLength)},
        {"--param-faults-always", nullptr,
         "The four block faults above hit every matching reply. Without it each\n"
         "hits only the first one (per block, read and write counted apart), so\n"
         "a repeated request succeeds.",
         [](SimOptions& o, const std::string&) { return o.paramFaults.always = true; }},
        {"--fc-group-disabled", "jit|fbl",
         "Keep bit 15 (group enabled) of that mode word clear: of 0x0284 (jit)\n"
         "or 0x0281 (fbl). Without it the bit is set. Either way the device\n"
         "keeps the bit itself: a write (0x0285, 0x0282) cannot change it.\n"
         "May be repeated.",
         [](SimOptions& o, const std::string& v) {
             if (v == "jit")
                 o.fc.jitDisabled = true;
             else if (v == "fbl")
                 o.fc.fblDisabled = true;
             else
                 return false;
             return true;
         }},
        {"--fc-voltage", "MV",
         "Every battery reading (0x0245) is MV millivolts (default: a 3S pack\n"
         "between 10800 and 12000 mV, moving with a 30 s period).",
         [](SimOptions& o, const std::string& v) {
             long mv = 0;
             if (!toNumber(v, mv, 0, 65535))
                 return false;
             o.fc.voltageMv = static_cast<int>(mv);
             return true;
         }},
        {"--fc-voltage-dips", nullptr,
         "Every fifth battery reading (the 5th, 10th, ...) is 3500 mV, below the\n"
         "4000 mV under which the page shows DISCONNECTED.",
         [](SimOptions& o, const std::string&) { return o.fc.voltageDips = true; }},
        {"--fc-byte", "ACK,OFFSET,VALUE",
         "Set data byte OFFSET (counted behind the result byte) of the stored\n"
         "record ACK to VALUE, e.g. 0x020A,0,3 for mixer type 3. ACK is one of\n"
         "0x0284 0x0281 0x0247 0x0297 0x020E 0x020A 0x029A 0x0264 0x024D (not\n"
         "the live 0x021D, 0x0245). Applies again after restore defaults.\n"
         "May be repeated.",
         fcByte},
        {"--imu-condition", "calm|cali|abnormal|axis-error",
         "What the IMU report 0x0507 shows (the readings always move a little):\n"
         "calm (default): no calibration needed, |1-|a|| <= 0.015 g and every\n"
         "gyro axis <= 1 degree/s; cali: calibration needed, |a| about 1.04 g,\n"
         "gyro about 1.6 degree/s; abnormal: |a| about 2.5 g, every axis within\n"
         "+-6 g; axis-error: the z axis reads about 7.2 g (beyond 6 g).",
         [](SimOptions& o, const std::string& v) {
             using C = ImuOptions::Condition;
             if (v == "calm")
                 o.imuModel.condition = C::Calm;
             else if (v == "cali")
                 o.imuModel.condition = C::NeedsCalibration;
             else if (v == "abnormal")
                 o.imuModel.condition = C::Abnormal;
             else if (v == "axis-error")
                 o.imuModel.condition = C::AxisError;
             else
                 return false;
             return true;
         }},
        {"--imu-cali-time", "S",
         "A basic IMU calibration takes S seconds, each of the two phases of\n"
         "the advanced one too (default 5).",
         [](SimOptions& o, const std::string& v) { return toSeconds(v, o.imuModel.caliSeconds); }},
        {"--imu-cali-fail", nullptr,
         "The basic IMU calibration fails: after half the calibration time\n"
         "(progress about 50) the basic state (low nibble) drops to 0, idle,\n"
         "with progress 0; it stays there for the calibration time, then goes\n"
         "back to 1, ready.",
         [](SimOptions& o, const std::string&) { return o.imuModel.caliFail = true; }},
        {"--imu-advanced-required", nullptr,
         "The advanced calibration state (high nibble) starts at 15: a\n"
         "calibration is required (instead of 3, ready).",
         [](SimOptions& o, const std::string&) { return o.imuModel.advancedRequired = true; }},
        {"--product-switch-after", "S",
         "Send the product-switch report 0x029D once, unasked, S seconds after\n"
         "the first IMU request 0x0508.",
         [](SimOptions& o, const std::string& v) {
             double s = 0.0;
             if (!toSeconds(v, s))
                 return false;
             o.productSwitchAfter = s;
             return true;
         }},
        {"--seed", "N", "Seed of the fault generator (default 1).", number(&SimOptions::seed, 0, 0xFFFFFFFFL)},
        {"--crc-errors", "N|R", "Send replies with a damaged checksum.", fault(&SimOptions::crcErrors)},
        {"--garbage", "N|R", "Write 1..16 noise bytes (never 0x55/0xAA) in front of replies.", fault(&SimOptions::garbage)},
        {"--split", "N|R", "Write replies in 2..4 pieces with 2..15 ms pauses.", fault(&SimOptions::split)},
        {"--drop-replies", "N|R", "Ignore requests (logged, not answered).", fault(&SimOptions::dropReplies)},
        {"--latency-ms", "MS", "Hold every reply back MS milliseconds.", number(&SimOptions::latencyMs, 0, 60000)},
        {"--nack-packet", "K", "Answer upgrade packet number K once with result 1 (transmit error).",
         number(&SimOptions::nackPacket, 1, 65535)},
        {"--verify-fail", nullptr, "Answer every CAN verify request 0x0FA8 with result 1.",
         [](SimOptions& o, const std::string&) { return o.verifyFail = true; }},
        {"--verbose", nullptr, "Also log the frequent polls: 0x02A3 channels (20 a second from the\n"
         "gimbal page), 0x021C, 0x0280, 0x0283 and 0x0244 (the main parameter\n"
         "page, 10 a second, the voltage once a second) and their replies.",
         [](SimOptions& o, const std::string&) { return o.verbose = true; }},
    };
    return table;
}

} // namespace

bool Version::parse(const std::string& text)
{
    const auto dot = text.find('.');
    long a = 0, b = 0;
    if (dot == std::string::npos || !toNumber(text.substr(0, dot), a, 0, 255) || !toNumber(text.substr(dot + 1), b, 0, 255))
        return false;
    major = static_cast<uint8_t>(a);
    minor = static_cast<uint8_t>(b);
    return true;
}

int moduleCode(const std::string& name)
{
    for (int code = 1; code <= 15; ++code)
        if (ImageSink::moduleName(static_cast<uint8_t>(code)) == name)
            return code;
    long n = 0;
    if (toNumber(name, n, 1, 255))
        return static_cast<int>(n);
    return 0;
}

bool parseOptions(int argc, char** argv, SimOptions& o, std::string& error)
{
    const GlobalCfg* cfg = GlobalCfg::instance();
    o.fwMinor = cfg->fwMinorVersion;
    o.fwHide = cfg->fwHideVersion;
    o.crcSeed = cfg->crcSeed;
    o.crc = cfg->crcEnabled;
    o.statusRequestId = cfg->mcDeviceId;
    o.statusReportId = cfg->mcConnectId;

    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        std::string value;
        bool inlineValue = false;
        if (const auto eq = arg.find('='); eq != std::string::npos && arg.rfind("--", 0) == 0) {
            value = arg.substr(eq + 1);
            arg.resize(eq);
            inlineValue = true;
        }
        const Option* opt = nullptr;
        for (const Option& candidate : options())
            if (arg == candidate.name)
                opt = &candidate;
        if (!opt) {
            error = "unknown option " + arg;
            return false;
        }
        if (opt->arg && !inlineValue) {
            if (i + 1 >= argc) {
                error = arg + " needs a value";
                return false;
            }
            value = argv[++i];
        }
        if (!opt->apply(o, value)) {
            error = "bad value for " + arg + ": " + value;
            return false;
        }
    }
    return true;
}

std::string usageText()
{
    return "Usage: kzo-devsim [options]\n"
           "       kzo-devsim --help | --version\n";
}

std::string helpText()
{
    std::string t = usageText() +
        "\n"
        "Simulated gimbal main controller behind a pseudo-terminal. The first line\n"
        "on standard output is \"port: /dev/pts/N\"; open that path like the USB\n"
        "serial port. All further output (the simulator's log: every request, reply,\n"
        "injected fault and received image, in the project's log line format) also\n"
        "goes to standard output. Ends on SIGTERM/SIGINT, --duration, --unplug-after\n"
        "(unless --replug-after) or, with --exit-with-parent, the end of the process\n"
        "that started it. SIGUSR1 unplugs at once, as --unplug-after does when its\n"
        "time comes.\n"
        "\n"
        "Exit status:\n"
        "  0  ended as above, or --help / --version\n"
        "  1  the pty or the --link could not be made, or the pty failed\n"
        "  2  unknown option or bad option value (the usage goes to standard error)\n"
        "\n"
        "Fault options take N|R: an integer N affects the first N occasions, a value\n"
        "R with a decimal point (0 < R <= 1) each occasion with probability R.\n"
        "\n"
        "Options:\n";
    for (const Option& o : options()) {
        std::string head = std::string("  ") + o.name + (o.arg ? std::string(" ") + o.arg : std::string());
        if (head.size() < 28)
            head.resize(28, ' ');
        else
            head += "\n" + std::string(28, ' ');
        std::string help = o.help;
        for (size_t p = 0; (p = help.find('\n', p)) != std::string::npos; p += 29)
            help.insert(p + 1, std::string(28, ' '));
        t += head + help + "\n";
    }
    t +=
        "\n"
        "Upgrade paths served: main controller and CMU (enter 0x0242/0x1242, then\n"
        "start/data/end 0x0233/0x0235/0x0240 and 0x1233/...), pitch/roll/yaw with\n"
        "HEX records (0x2xxx/0x3xxx/0x4xxx), CAN modules (enter 0x0FA0, packets\n"
        "0x0FA2/0x0FA4/0x0FA6, verify 0x0FA8 -> 0x0FA9) and the IMU (0x02B0..0x02B7).\n"
        "Packet numbers (record word 3) must run 1, 2, ... without gaps; a repeated\n"
        "number is acknowledged again; a wrong number, size or total is answered\n"
        "with result 1. After a complete transfer the module leaves its loader.\n"
        "While the main controller or CMU sits in its loader, only the status\n"
        "request and that loader's packets are answered.\n"
        "\n"
        "Other replies: 0x02C0 -> 0x02C1, 0x1244 -> 0x1245, 0x02A2 -> 0x02A1,\n"
        "0x02A7 -> 0x02A6, 0x1253 -> 0x1252, 0x02A3 -> 0x02A4 (eight channels),\n"
        "0x02A0/0x02A5 -> 0x02A1/0x02A6 echoing the stored record, 0x1250/0x1251 ->\n"
        "0x1252 with the new camera state, range record 0x02D4/0x02D6/0x02D0/0x02D2\n"
        "and rotating calibration 0x02A8 -> 0x02A9 status reports, parameter memory\n"
        "0x0292 -> 0x0293 and 0x0294 -> 0x0295 (result 1 = stored, 0 = refused).\n"
        "The 0x0293 read reply (record length 169): result 1, u32 address, u32\n"
        "length as asked, 128 data bytes, u16 block number. The 0x0295 write\n"
        "acknowledge (record length 39): result, u32 address, u32 length as sent.\n"
        "A request at an address that is not a block address (k*128, k 0..7) is\n"
        "not answered when it is a read, refused (result 0) when it is a write.\n"
        "Unknown commands are logged and not answered.\n"
        "\n"
        "Restore defaults: a read-all command (0x02C0, 0x1244, 0x02A2, 0x02A7,\n"
        "0x1253) whose record word 7 has bit 14 set (0xC000) first resets the\n"
        "flight-controller settings, the flight habits and the two gimbal records\n"
        "to their defaults (logged), then is answered as always.\n"
        "\n"
        "Flight controller, main parameter page: 0x0283 -> 0x0284, 0x0280 -> 0x0281,\n"
        "0x021C -> 0x021D, 0x0244 -> 0x0245, 0x0246 -> 0x0247, 0x0298 -> 0x0297,\n"
        "0x020D -> 0x020E, 0x0209 -> 0x020A, 0x029B -> 0x029A, 0x0262 -> 0x0264,\n"
        "0x024C -> 0x024D, each the whole record with result 0. The channel entries\n"
        "carry channels 1..8 and two more numbered 0 and 12; channels 1 and 5\n"
        "overshoot +-1000. The writes 0x0285 (14 bytes) and 0x0282 (35 bytes) are\n"
        "logged and stored whole, not answered; the next 0x0284 / 0x0281 return\n"
        "them with bit 15 of the mode word as the device keeps it.\n"
        "\n"
        "Flight controller, tools page: 0x0508 -> 0x0507 IMU report (66 data\n"
        "bytes: gyro, accel, two readings, quaternion, spare float, compass raw and\n"
        "calibrated, progress, state: low nibble basic, high nibble advanced).\n"
        "0x0506 starts a calibration, not answered: u32 0x0000001F basic (state 2\n"
        "with progress, then 1), 0x001F0000 advanced (1, then 2, each with\n"
        "progress, then 14: power off). At start basic 1, advanced 3. 0x0502 (read)\n"
        "and 0x0503 (write, 8 bytes, stored) -> 0x0504 with the 8 flight-habit\n"
        "bytes (byte 4 bit 0: novice), starting as 01 00 64 00 10 00 32 00.\n"
        "0x022D (flight log) is logged, not answered. 0x029D (product switch,\n"
        "words 1 and 0) only with --product-switch-after.\n"
        "\n"
        "Calibration reports (0x02A9, record length 39: result 0, procedure, state\n"
        "code, six zero bytes). The range record (procedure 16) starts with 0x02D4\n"
        "(code 99); each movement then takes two presses, the first answered as\n"
        "not enough: roll left 0x02D4 (106, 107 recorded), roll right 0x02D6 (108,\n"
        "109), one more roll left (105, the roll is finished), tilt up 0x02D0 (101,\n"
        "102), tilt down 0x02D2 (103, 104), one more tilt up (100, finished; the\n"
        "next 0x02D4 starts anew). A command that does not fit the step gets no\n"
        "report. The rotating calibration (procedure 17): 0x02A8 starts it (code\n"
        "1), it reports code 2 by itself after --rotation-time, and the next 0x02A8\n"
        "saves the data (code 3).\n";
    return t;
}

} // namespace kzo::devsim
