#include "app/output_path.h"

#include "app/paths.h"

WString ComposeOutputPath(const WString& input, const OutputOptions& options)
{
    const WString folder = options.sameFolder ? ParentFolder(input) : options.folder;
    const WString base = options.sameName ? LeafName(input) : options.name;
    const WString name = ReplaceExtension(base, WString(TEXT(".")) + options.extension);
    return AddBackslash(folder) + name;
}
