// Scaffold until the wizard group lands: delete this file then.
#include "pages.h"

INT_PTR wizardRunNew(HWND, CollectionRecord*) { return 0; }
INT_PTR wizardRunAddFiles(HWND, CollectionRecord*) { return 0; }
INT_PTR wizardPhotoEditor(HWND, int) { return 0; }
