#include "tests/support/gtest.h"

#include "app/paths.h"
#include "app/settings_path.h"
#include "tests/support/temp_dir.h"

#include <windows.h>

namespace {

// The runner has no IDS_SHARED_SETTINGS string, so without the variable its
// settings file is its own path with ".dat".
TEST(SettingsPath, TheInstalledLaunchersFileOrTheOneBesideTheProgram)
{
    const WString beside = ReplaceExtension(ModulePath(), TEXT(".dat"));
    const struct {
        const char* name;
        const WCHAR* value;  // nullptr: not set
        WString expected;
    } rows[] = {
        {"not set", nullptr, beside},
        {"empty", TEXT(""), beside},
        {"a user's file", TEXT("Z:\\home\\u\\.config\\tagscribe\\tagscribe.dat"),
         TEXT("Z:\\home\\u\\.config\\tagscribe\\tagscribe.dat")},
    };
    for (const auto& row : rows) {
        SetEnvironmentVariableW(SettingsPathVariable, row.value);
        EXPECT_EQ(Utf8(DefaultSettingsPath()), Utf8(row.expected)) << row.name;
    }
    SetEnvironmentVariableW(SettingsPathVariable, nullptr);
}

} // namespace
