// InitCommonControls/Ex: the common control classes register themselves when
// the library loads, so these only check their argument.
#include <windows.h>
#include <commctrl.h>

extern "C" {

WINBASEAPI void WINAPI InitCommonControls(void) {}

WINBASEAPI BOOL WINAPI InitCommonControlsEx(const INITCOMMONCONTROLSEX *picce) {
    if (!picce || picce->dwSize != sizeof(INITCOMMONCONTROLSEX)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return TRUE;
}

}  // extern "C"
