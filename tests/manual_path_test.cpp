#include "tests/support/gtest.h"

#include "app/manual_path.h"
#include "app/paths.h"
#include "tests/support/temp_dir.h"

#include <shellapi.h>

#include <string>

namespace {

// project\Manual, project\build\Manual beside project\build\tagscribe.exe,
// start\Manual under the current folder, and project\share\tagscribe\Manual
// (an install whose prefix is project\.., the program in project\build
// standing for PREFIX\lib\tagscribe), each made or not per row.
TEST(ManualPath, TakesTheCurrentFolderThenTheProgramsThenTheProjectsThenTheInstalled)
{
    enum Where { None = 0, Current = 1, Beside = 2, Project = 4, BesideIsFolder = 8, Installed = 16 };
    const struct {
        const char* name;
        int made;
        Where expected;
    } rows[] = {
        {"all three", Current | Beside | Project, Current},
        {"beside and project", Beside | Project, Beside},
        {"project only", Project, Project},
        {"current and project", Current | Project, Current},
        {"none", None, None},
        {"a folder named index.html is no manual", BesideIsFolder | Project, Project},
        {"project and installed", Project | Installed, Project},
        {"installed only", Installed, Installed},
    };
    for (const auto& row : rows) {
        TempDir dir;
        const WString project = dir / TEXT("project");
        const WString build = project + TEXT("\\build");
        const WString start = dir / TEXT("start");
        const WString shared = dir / TEXT("share\\tagscribe");
        for (const WString& folder : {project, build, start, project + TEXT("\\Manual"),
                                      build + TEXT("\\Manual"), start + TEXT("\\Manual"),
                                      dir / TEXT("share"), shared, shared + TEXT("\\Manual")})
            ASSERT_TRUE(MakeFolder(folder));
        const WString manual[] = {start + TEXT("\\") + ManualName, build + TEXT("\\") + ManualName,
                                  project + TEXT("\\") + ManualName, shared + TEXT("\\") + ManualName};
        if (row.made & Current) {
            ASSERT_TRUE(WriteBytes(manual[0], "<html>"));
        }
        if (row.made & Beside) {
            ASSERT_TRUE(WriteBytes(manual[1], "<html>"));
        }
        if (row.made & BesideIsFolder) {
            ASSERT_TRUE(MakeFolder(manual[1]));
        }
        if (row.made & Project) {
            ASSERT_TRUE(WriteBytes(manual[2], "<html>"));
        }
        if (row.made & Installed) {
            ASSERT_TRUE(WriteBytes(manual[3], "<html>"));
        }

        const WString expected = row.expected == Current   ? manual[0]
                                 : row.expected == Beside  ? manual[1]
                                 : row.expected == Project ? manual[2]
                                 : row.expected == Installed ? manual[3]
                                                           : WString(ManualName);
        EXPECT_EQ(Utf8(FindManual(start, build + TEXT("\\tagscribe.exe"))), Utf8(expected))
            << row.name;
        // A trailing backslash on the current folder, as at a drive's root.
        EXPECT_EQ(Utf8(FindManual(start + TEXT("\\"), build + TEXT("\\tagscribe.exe"))),
                  Utf8(expected))
            << row.name;
    }
}

TEST(ManualPath, FollowsTheProcesssCurrentFolder)
{
    TempDir dir;
    ASSERT_TRUE(MakeFolder(dir / TEXT("Manual")));
    ASSERT_TRUE(WriteBytes(dir / ManualName, "<html>"));
    WCHAR before[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, before);
    ASSERT_TRUE(SetCurrentDirectoryW(dir.Path().c_str()));
    const WString found = ManualPath();
    SetCurrentDirectoryW(before);
    EXPECT_EQ(Utf8(found), Utf8(dir / ManualName));
}

// The command the shell would run for a file, without running it.
std::string OpenerOf(const WString& file)
{
    WCHAR program[MAX_PATH] = {};
    const INT_PTR r = reinterpret_cast<INT_PTR>(FindExecutableW(file.c_str(), nullptr, program));
    return r > 32 ? Utf8(program) : "error " + std::to_string(r);
}

std::string Lower(std::string text)
{
    for (char& c : text)
        c = char(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return text;
}

TEST(ManualPath, TheProjectsManualOpensInTheDesktopsBrowserFromAnyFolder)
{
    // The checkout these tests were built from, whatever folder they were
    // built into; the program stands in its build folder, as ./tagscribe has it.
    WCHAR* checkout = wine_get_dos_file_name(TAGSCRIBE_SOURCE_DIR);
    ASSERT_NE(checkout, nullptr) << TAGSCRIBE_SOURCE_DIR;
    const WString project = checkout;
    HeapFree(GetProcessHeap(), 0, checkout);
    TempDir elsewhere;
    const WString manual = FindManual(elsewhere.Path(), project + TEXT("\\build\\tagscribe.exe"));
    ASSERT_EQ(Utf8(manual), Utf8(project + TEXT("\\") + ManualName));
    // winebrowser hands the page to the desktop's browser.
    EXPECT_NE(Lower(OpenerOf(manual)).find("winebrowser"), std::string::npos) << OpenerOf(manual);

    const WString page = elsewhere / TEXT("page.htm");
    ASSERT_TRUE(WriteBytes(page, "<html>"));
    EXPECT_NE(Lower(OpenerOf(page)).find("winebrowser"), std::string::npos) << OpenerOf(page);
}

} // namespace
