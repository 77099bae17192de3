#pragma once
// Command line of kzo-devsim. The option table is also the --help text, so
// every option is documented where it is defined.
#include "Calibration.h"
#include "Faults.h"
#include "FcModel.h"
#include "ImuModel.h"
#include "ParamFaults.h"

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace kzo::devsim {

struct Version {
    uint8_t major = 0;
    uint8_t minor = 0;
    bool parse(const std::string& text); // "3.2"
};

struct SimOptions {
    std::string link;         // --link PATH
    double duration = 0.0;    // --duration S (0: until killed)
    double unplugAfter = 0.0; // --unplug-after S (0: never)
    double replugAfter = 0.0; // --replug-after S (0: an unplug ends the run)
    double unplugAtPercent = 0.0; // --unplug-at PCT (0: never)
    uint16_t crcSeed = 0x0013;
    bool crc = true;
    int loaderModule = 0;     // --loader MODULE (module code, 0: none)
    std::set<int> refuseLoader; // --refuse-loader MODULE: never enter the loader
    uint16_t statusRequestId = 0x0101;
    uint16_t statusReportId = 0x0102;

    Version mc{3, 2};
    uint8_t fwMinor = 0;      // main-controller version word, byte 2
    uint8_t fwHide = 0;       // main-controller version word, byte 1
    uint32_t imuHwid = 305419896;
    Version imu{1, 5};
    Version imuLoader{1, 1};
    Version cmu{2, 1};
    Version cmuLoader{1, 0};

    unsigned disconnectedChannels = 0; // bit n-1: channel n
    std::optional<double> rotateSeconds = Calibration::defaultRotateSeconds; // --rotation-time (nothing: never)
    std::vector<InjectedReport> calibrationReports; // --calibration-report
    std::string imageDir;
    std::string eeprom;
    uint32_t seed = 1;
    FaultSetting crcErrors, garbage, split, dropReplies;
    int latencyMs = 0;
    int nackPacket = 0;
    bool verifyFail = false;
    ParamFaultOptions paramFaults; // --param-*
    FcOptions fc;                  // --fc-*
    ImuOptions imuModel;           // --imu-condition, --imu-cali-*
    std::optional<double> productSwitchAfter; // --product-switch-after S
    bool verbose = false;
    bool exitWithParent = false; // --exit-with-parent
    bool help = false;
    bool version = false;
};

// Fills options from the command line; false with a message on a bad option.
bool parseOptions(int argc, char** argv, SimOptions& options, std::string& error);
std::string helpText();
// The first lines of the help text: how the program is called.
std::string usageText();
// Module code of a name ("mc", "imu", "led", ...) or of a number; 0 if unknown.
int moduleCode(const std::string& name);

} // namespace kzo::devsim
