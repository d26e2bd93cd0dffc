#include "app/settings_path.h"

#include "app/environment.h"
#include "app/paths.h"
#include "res/resource.h"
#include "vela/ui/module.h"

const WCHAR SettingsPathVariable[] = TEXT("TAGSCRIBE_SETTINGS");

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
