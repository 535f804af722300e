#pragma once

#include <QString>

namespace corvane
{

class Settings;

// The process-wide settings variables and live flags. This is the one place
// that holds state shared by the whole program; every other piece of state
// belongs to a window or an object.
struct AppState {
    // Settings variables, read at start-up and changed by the Options dialog.
    QString ddeType = QStringLiteral("ANAD");
    QString decoder = QStringLiteral("SkySpy");
    int newPopup = 1;
    int uplinkMessages = 1;
    bool doEvents = false;
    bool showNew = false;
    int toolTips = 0;

    // Live flags.
    bool blnLiveBusy = false;
    bool blnLiveHandled = true;
    bool blnLiveRestart = true;
    int intAlertsOpen = 0;
    QString strLiveFile;

    // Reads the settings in the order "DDEType", "NewPopup", "UplinkMessages",
    // "DoEvents", "ShowNew", "Decoder", "ToolTips".
    void loadSettings(const Settings &settings);
    void resetLiveFlags();

    static AppState &instance();
};

} // namespace corvane
