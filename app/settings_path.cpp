#include "app/settings_path.h"

#include "app/paths.h"
#include "res/resource.h"
#include "vela/ui/module.h"

#include <windows.h>

#include <vector>

const WCHAR SettingsPathVariable[] = TEXT("TAGSCRIBE_SETTINGS");

namespace {

WString EnvironmentValue(const WCHAR* name)
{
    const DWORD size = GetEnvironmentVariableW(name, nullptr, 0);
    if (size == 0)
        return WString();
    std::vector<WCHAR> buffer(size, 0);
    const DWORD length = GetEnvironmentVariableW(name, buffer.data(), size);
    return length < size ? WString(buffer.data(), length) : WString();
}

} // namespace

WString DefaultSettingsPath()
{
    const WString given = EnvironmentValue(SettingsPathVariable);
    if (!given.empty())
        return given;
    // A variant of the program (another manifest, same code) names the
    // program whose settings file it shares, in the same folder.
    const WString shared = vela::LoadString(IDS_SHARED_SETTINGS);
    if (!shared.empty())
        return AddBackslash(ParentFolder(ModulePath())) + shared + TEXT(".dat");
    return ReplaceExtension(ModulePath(), TEXT(".dat"));
}
