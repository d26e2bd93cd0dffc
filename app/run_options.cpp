#include "app/run_options.h"

#include "app/environment.h"

namespace {

std::optional<WString> Given(const WCHAR* name)
{
    WString value = EnvironmentValue(name);
    if (value.empty())
        return std::nullopt;
    return value;
}

} // namespace

ExportOptions RunOptions::Over(ExportOptions saved) const
{
    if (subFolders)
        saved.subFolders = *subFolders;
    if (folder) {
        saved.output.sameFolder = false;
        saved.output.folder = *folder;
    }
    if (name) {
        saved.output.sameName = false;
        saved.output.name = *name;
    }
    if (extension)
        saved.output.extension = *extension;
    if (emptyFile)
        saved.emptyFile = true;
    saved.dryRun = dryRun;
    return saved;
}

RunOptions RunOptionsFromEnvironment()
{
    RunOptions options;
    if (const auto recurse = Given(TEXT("TAGSCRIBE_RUN_SubDirectory")))
        options.subFolders = *recurse == TEXT("1");
    options.folder = Given(TEXT("TAGSCRIBE_RUN_Directory"));
    options.name = Given(TEXT("TAGSCRIBE_RUN_FileName"));
    options.extension = Given(TEXT("TAGSCRIBE_RUN_Extension"));
    options.emptyFile = Given(TEXT("TAGSCRIBE_RUN_EmptyFile")) == WString(TEXT("1"));
    options.dryRun = Given(TEXT("TAGSCRIBE_RUN_DryRun")) == WString(TEXT("1"));
    return options;
}
