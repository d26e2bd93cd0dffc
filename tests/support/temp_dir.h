#pragma once
// A fresh folder for one test, removed with everything in it afterwards, and
// small helpers to put bytes into files and read them back through Win32.
#include "vela/text.h"

#include <string>

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    // The folder's path, without a trailing backslash.
    const WString& Path() const { return path_; }
    // Path() + "\" + name.
    WString operator/(const WString& name) const;

private:
    WString path_;
};

bool WriteBytes(const WString& path, const std::string& bytes);
// The file's bytes; empty when it cannot be read (see FileExists).
std::string ReadBytes(const WString& path);
bool FileExists(const WString& path);
bool MakeFolder(const WString& path);
void RemoveTree(const WString& path);

// Makes a folder inside parent whose path is `length` characters long and
// returns that path; empty on failure. Its name is all x's; when one name
// cannot reach that length (a name holds 1 to 255), it sits in a folder of
// y's made first.
WString MakeFolderOfLength(const WString& parent, size_t length);
// The names in a folder, "." and ".." left out, sorted.
WStringList NamesIn(const WString& folder);

// UTF-8 in the test sources, UTF-16 for the program.
WString Wide(const std::string& utf8);
std::string Utf8(const WString& wide);
// The text with a to z in capitals: another spelling of the same path.
WString AsciiUpper(WString text);
