// State of the tips module shared by its loader and its dialog.
#pragma once

#include <string>
#include <vector>

#include "settings/tipsmod.h"

struct TipsState {
    bool initialised = false;
    std::vector<std::string> tips;
    int position = 0;
    int showFlag = 1;
    std::string configPath;
    std::string sharedDir;  // with a trailing "/", or ""
    HWND owner = nullptr;
    HMODULE module = nullptr;
};

TipsState &tipsState();

// The modal dialog; returns DialogBoxParamA's result.
INT_PTR tipsRunDialog();
