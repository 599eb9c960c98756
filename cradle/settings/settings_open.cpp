// Opening the settings window.
#include "settings/settings.h"

#include "zellog.h"

int settingsOpen(int requestedPage) {
    (void)requestedPage;
    zelextLog("cradle", 6, "The settings window is not available in this build yet");
    return -3;
}
