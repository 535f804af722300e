#include "AppState.h"

#include "Settings.h"

namespace corvane
{

AppState &AppState::instance()
{
    static AppState state;
    return state;
}

void AppState::loadSettings(const Settings &settings)
{
    ddeType = settings.ddeType();
    newPopup = settings.newPopup();
    uplinkMessages = settings.uplinkMessages();
    doEvents = settings.doEvents();
    showNew = settings.showNew();
    decoder = settings.decoder();
    toolTips = settings.toolTips();
}

void AppState::resetLiveFlags()
{
    blnLiveBusy = false;
    blnLiveRestart = true;
    blnLiveHandled = true;
}

} // namespace corvane
