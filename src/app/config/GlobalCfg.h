#pragma once
// Build-time product constants, one instance created first at start-up.
#include "protocol/Singleton.h"

#include <QObject>
#include <QString>
#include <cstdint>

// Compiled in; the delivered build has it off.
#ifdef KZO_DEBUG_MODE
inline constexpr bool debugMode = true;
#else
inline constexpr bool debugMode = false;
#endif

class GlobalCfg : public QObject, public Singleton<GlobalCfg> {
    Q_OBJECT
public:
    explicit GlobalCfg(QObject* parent = nullptr);
    ~GlobalCfg() override;
    static GlobalCfg* instance();

    const uint8_t fwMinorVersion = 0;
    const uint8_t fwHideVersion = 0;
    const QString software = QStringLiteral("1.00");
    const QString doc_version = QStringLiteral("0");
    const uint16_t mcDeviceId = 0x0101;
    const uint16_t mcConnectId = 0x0102;
    const uint16_t crcSeed = 0x0013;
    const bool crcEnabled = true;
    const QString series = QStringLiteral("KG1");
    const uint32_t exportDate = 20130624;
    const QString settingsApp = series;
    const QString exportModel = series;
    // Placeholder address of the maker's server; overridable at run time.
    const QString request_xml_url = QStringLiteral("http://update.kzo-gimbal.example/assistant/server_config.xml");
    const QString splashImage = QStringLiteral(":/Utility/res/splash_KG1.png");
    const uint32_t exportBaseAddress = 0;
    const uint32_t exportBlocks = 8;
    const bool loginDigest = true;
};

// Application name used for the program, its settings and data folders.
inline constexpr const char* kzoApplicationName = "kzo-assistant";
