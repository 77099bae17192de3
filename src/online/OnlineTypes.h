#pragma once
// What the update-server client hands to the dialogs and pages.
#include <QMetaType>
#include <QString>

struct SoftwareInfo {
    QString version;
    QString note; // address of the release-note page
    QString url;  // address of the download page
    bool mustUpdate = false;
    // No usable answer (network error, empty reply): not the same as the
    // server saying there is no update.
    bool failed = false;
};

struct FirmwareDataInfo {
    int deviceId = 0;
    QString version;
    QString infoUrl;
    QString fileId; // sent back as "id" to download the image
    int size = 0;   // 0 means no update
    QString checksum;
    // No usable answer (network error, empty or unparsable reply): not the
    // same as the server saying there is no update.
    bool failed = false;
};

Q_DECLARE_METATYPE(SoftwareInfo)
Q_DECLARE_METATYPE(FirmwareDataInfo)
