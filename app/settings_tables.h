#pragma once
// Which control keeps which option, under which settings key, with which
// value on a first start. The row order is the order in which the controls
// are made, loaded and saved.
#include "vela/text.h"

#include <cstddef>

struct EditSettingRow {
    int id;
    const WCHAR* key;
    const WCHAR* defaultText;
};

struct CheckSettingRow {
    int id;
    const WCHAR* key;
    int defaultState;
};

constexpr std::size_t EditSettingCount = 3;
constexpr std::size_t CheckSettingCount = 5;

extern const EditSettingRow EditSetting[EditSettingCount];
extern const CheckSettingRow CheckSetting[CheckSettingCount];

// Positions in the tables, for the code that needs one particular control.
enum EditSettingIndex { DirectoryEdit = 0, FileNameEdit = 1, ExtensionEdit = 2 };
enum CheckSettingIndex {
    SameDirectoryCheck = 0,
    SameFileNameCheck = 1,
    SubDirectoryCheck = 2,
    TopMostCheck = 3,
    EmptyFileCheck = 4,
};
