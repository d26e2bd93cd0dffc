// The real program on folders whose paths reach and pass the 260-character
// limit: named on the command line, holding a named file, or found by the
// folder search, each output lands inside its folder and nowhere else.
#include "tests/support/gtest.h"

#include "res/resource.h"
#include "tests/support/mp3_writer.h"
#include "tests/support/program.h"
#include "tests/support/temp_dir.h"

#include <windows.h>

#include <string>
#include <vector>

namespace {

struct LongFolder {
    size_t length;
    WString path;
    std::string lyrics;
};

class LongPathProgram : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(program.Path().empty());
        for (size_t length : {250u, 258u, 259u, 260u, 261u, 280u, 300u}) {
            LongFolder folder{length, MakeFolderOfLength(root.Path(), length),
                              "lyrics " + std::to_string(length)};
            ASSERT_EQ(folder.path.size(), length);
            ASSERT_TRUE(WriteBytes(folder.path + TEXT("\\song.mp3"),
                                   mp3::FileWithLyrics(folder.lyrics)));
            folders.push_back(folder);
        }
        before = Listing();
    }

    // Every name under the root, each folder's own after it: an output
    // written beside its folder would show up as a new name here.
    WStringList Listing() const
    {
        WStringList all;
        for (const LongFolder& folder : folders) {
            const WString parent = folder.path.substr(0, folder.path.rfind('\\'));
            for (const WString& name : NamesIn(parent))
                all.push_back(parent + TEXT("\\") + name);
        }
        return all;
    }

    void Run(const WString& arguments)
    {
        const RunResult run = RunProgram(program.Path(), arguments);
        EXPECT_EQ(run.exitCode, 0u);
        EXPECT_EQ(run.shown, 0);
    }

    // Each folder holds its track and the track's lyrics, and nothing new
    // appeared beside any folder. The outputs are removed for the next run.
    void ExpectOutputsInPlace()
    {
        for (const LongFolder& folder : folders) {
            EXPECT_EQ(NamesIn(folder.path), (WStringList{TEXT("song.mp3"), TEXT("song.txt")}))
                << folder.length;
            EXPECT_EQ(ReadBytes(folder.path + TEXT("\\song.txt")), folder.lyrics) << folder.length;
            DeleteFileW((folder.path + TEXT("\\song.txt")).c_str());
        }
        EXPECT_EQ(Listing(), before);
    }

    ProgramCopy program;
    TempDir root;
    std::vector<LongFolder> folders;
    WStringList before;
};

TEST_F(LongPathProgram, FoldersNamedOnTheCommandLine)
{
    WString arguments;
    for (const LongFolder& folder : folders)
        arguments += Quoted(folder.path) + TEXT(" ");
    Run(arguments);
    ExpectOutputsInPlace();
}

TEST_F(LongPathProgram, FilesNamedOnTheCommandLine)
{
    WString arguments;
    for (const LongFolder& folder : folders)
        arguments += Quoted(folder.path + TEXT("\\song.mp3")) + TEXT(" ");
    Run(arguments);
    ExpectOutputsInPlace();
}

TEST_F(LongPathProgram, FoldersFoundByTheFolderSearch)
{
    // Sub-folders are searched once the user has ticked the option.
    {
        ChildRun run;
        ASSERT_TRUE(run.Start(program.Path(), WString()));
        HWND dialog = WaitForMainDialog(run.ProcessId());
        ASSERT_NE(dialog, nullptr);
        SendDlgItemMessageW(dialog, IDC_SUB_DIRECTORY, BM_CLICK, 0, 0);
        PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        ASSERT_EQ(run.Wait(), 0u);
    }
    Run(Quoted(root.Path()));
    ExpectOutputsInPlace();
}

} // namespace
