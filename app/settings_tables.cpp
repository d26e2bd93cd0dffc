#include "app/settings_tables.h"

#include "res/resource.h"

const EditSettingRow EditSetting[EditSettingCount] = {
    {IDC_DIRECTORY, TEXT("Directory"), TEXT("")},
    {IDC_FILE_NAME, TEXT("FileName"), TEXT("")},
    {IDC_EXTENSION, TEXT("Extension"), TEXT("txt")},
};

const CheckSettingRow CheckSetting[CheckSettingCount] = {
    {IDC_SAME_DIRECTORY, TEXT("SameDirectory"), BST_CHECKED},
    {IDC_SAME_FILE_NAME, TEXT("SameFileName"), BST_CHECKED},
    {IDC_SUB_DIRECTORY, TEXT("SubDirectory"), BST_UNCHECKED},
    {IDC_TOPMOST, TEXT("TopMost"), BST_UNCHECKED},
    {IDC_EMPTY_FILE, TEXT("EmptyFile"), BST_UNCHECKED},
};
