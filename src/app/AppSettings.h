#pragma once
// The per-user settings store (organisation "KZO", application settingsApp)
// and the software-disabled mark kept in it.
#include <QSettings>
#include <QString>
#include <memory>

namespace kzo::app {

std::unique_ptr<QSettings> openSettings();

// False when the update server has disabled this software version: the
// setting named by the version holds 1.
bool isSoftwareEnabled(QSettings& settings, const QString& version);
bool isSoftwareEnabled();
void markSoftwareDisabled(QSettings& settings, const QString& version);
void markSoftwareDisabled();

} // namespace kzo::app
