#pragma once

#include <QString>

namespace corvane
{

// The state of one live link, owned by its live session and handed to each
// pass: whether a pass runs, whether values wait, whether the next value is
// the one the link held when it opened (which a pass throws away), and the
// decoder file a polled link reads; and whether the alert log is open, so
// that each handled value is matched against the watched words.
struct LiveFlags {
    bool busy = false;       // blnLiveBusy
    bool handled = true;     // blnLiveHandled
    bool restart = true;     // blnLiveRestart
    bool alertsOpen = false; // intAlertsOpen
    QString liveFile;        // strLiveFile
};

} // namespace corvane
