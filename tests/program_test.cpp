// The real program, started as a user starts it: batch runs, the interactive
// dialog, a second start, and the settings file between runs.
#include "tests/support/gtest.h"

#include "app/instance_block.h"
#include "res/resource.h"
#include "tests/support/mp3_writer.h"
#include "tests/support/program.h"
#include "tests/support/temp_dir.h"
#include "vela/storage/archive.h"

#include <windows.h>

#ifdef __WINE__
#include <unistd.h>
#endif

#include <memory>
#include <string>
#include <vector>

namespace {

void WriteTrack(const WString& path, const std::string& lyrics)
{
    ASSERT_TRUE(WriteBytes(path, lyrics.empty() ? mp3::FileWithoutTag()
                                                : mp3::FileWithLyrics(lyrics)))
        << Utf8(path);
}

} // namespace

TEST(Program, BatchRunExportsQuotedPathsWithoutAWindow)
{
    ProgramCopy program;
    ASSERT_FALSE(program.Path().empty());
    TempDir dir;
    ASSERT_TRUE(MakeFolder(dir / TEXT("My Album")));
    WriteTrack(dir / TEXT("single.mp3"), "single lyrics");
    WriteTrack(dir / TEXT("My Album\\one.mp3"), "first");
    WriteTrack(dir / TEXT("My Album\\two.mp3"), "");

    const RunResult run = RunProgram(
        program.Path(), Quoted(dir / TEXT("single.mp3")) + TEXT(" ") + Quoted(dir / TEXT("My Album")));

    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_EQ(run.shown, 0);
    EXPECT_EQ(ReadBytes(dir / TEXT("single.txt")), "single lyrics");
    EXPECT_EQ(ReadBytes(dir / TEXT("My Album\\one.txt")), "first");
    EXPECT_FALSE(FileExists(dir / TEXT("My Album\\two.txt")));
    EXPECT_FALSE(FileExists(program.SettingsPath()));
}

TEST(Program, InteractiveRunSavesTheOptionsThatLaterBatchRunsUse)
{
    ProgramCopy program;
    ASSERT_FALSE(program.Path().empty());
    {
        ChildRun run;
        ASSERT_TRUE(run.Start(program.Path(), WString()));
        HWND dialog = WaitForMainDialog(run.ProcessId());
        ASSERT_NE(dialog, nullptr);
        SendDlgItemMessageW(dialog, IDC_EMPTY_FILE, BM_CLICK, 0, 0);
        EXPECT_EQ(SendDlgItemMessageW(dialog, IDC_EMPTY_FILE, BM_GETCHECK, 0, 0), BST_CHECKED);
        PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        EXPECT_EQ(run.Wait(), 0u);
    }
    const std::string settings = ReadBytes(program.SettingsPath());
    ASSERT_FALSE(settings.empty());

    // With empty files on, a file that is no MP3 at all gets one.
    TempDir dir;
    ASSERT_TRUE(WriteBytes(dir / TEXT("cover.jpg"), "not a track"));
    RunResult run = RunProgram(program.Path(), Quoted(dir / TEXT("cover.jpg")));
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_EQ(run.shown, 0);
    EXPECT_TRUE(FileExists(dir / TEXT("cover.txt")));
    EXPECT_EQ(ReadBytes(dir / TEXT("cover.txt")), "");
    EXPECT_EQ(ReadBytes(program.SettingsPath()), settings);

    // One empty argument names no file: its empty output lands in the
    // current folder as ".txt".
    TempDir current;
    run = RunProgram(program.Path(), TEXT("\"\""), current.Path());
    EXPECT_EQ(run.exitCode, 1u);  // no track of that name could be read
    EXPECT_EQ(run.shown, 0);
    EXPECT_TRUE(FileExists(current / TEXT(".txt")));
    EXPECT_EQ(ReadBytes(current / TEXT(".txt")), "");
    EXPECT_EQ(ReadBytes(program.SettingsPath()), settings);
}

namespace {

// A window of the test's own that holds the foreground, so that a change of
// foreground can be seen.
class ForegroundHolder {
public:
    ForegroundHolder()
        : window_(CreateWindowExW(0, TEXT("STATIC"), TEXT("holder"), WS_POPUP | WS_VISIBLE, 0, 0,
                                  50, 50, nullptr, nullptr, nullptr, nullptr))
    {
        SetForegroundWindow(window_);
    }
    ~ForegroundHolder() { DestroyWindow(window_); }
    HWND hwnd() const { return window_; }

private:
    HWND window_;
};

// Activation moves between processes through the X server: wait for it. The
// holder's thread hears of every change, as a message or an X event.
HWND ForegroundAfterSettling(HWND expected)
{
    const DWORD start = GetTickCount();
    DWORD waited = 0;
    while (GetForegroundWindow() != expected && waited < 2000) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 2000 - waited, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&msg);
        waited = GetTickCount() - start;
    }
    return GetForegroundWindow();
}

} // namespace

// A second start without paths raises the open dialog; one with paths has
// the dialog export them and exits with the export's status. What other
// processes send the dialog is checked before it is read.
TEST(Program, SecondStartRaisesTheDialogOrHandsItsPathsOver)
{
    ProgramCopy program;
    ASSERT_FALSE(program.Path().empty());
    ChildRun first;
    ASSERT_TRUE(first.Start(program.Path(), WString()));
    const HWND dialog = WaitForMainDialog(first.ProcessId());
    ASSERT_NE(dialog, nullptr);

    ForegroundHolder holder;
    ASSERT_EQ(ForegroundAfterSettling(holder.hwnd()), holder.hwnd());
    RunResult second = RunProgram(program.Path(), WString());
    EXPECT_EQ(second.exitCode, 0u);
    EXPECT_EQ(second.shown, 0);
    EXPECT_EQ(ForegroundAfterSettling(dialog), dialog);

    TempDir dir;
    WriteTrack(dir / TEXT("song.mp3"), "lyrics");
    ASSERT_TRUE(MakeFolder(dir / TEXT("blocked.txt")));
    WriteTrack(dir / TEXT("blocked.mp3"), "blocked");
    second = RunProgram(program.Path(), Quoted(dir / TEXT("song.mp3")));
    EXPECT_EQ(second.exitCode, 0u);
    EXPECT_EQ(second.shown, 0);
    EXPECT_EQ(ReadBytes(dir / TEXT("song.txt")), "lyrics");
    EXPECT_EQ(RunProgram(program.Path(), Quoted(dir / TEXT("blocked.mp3"))).exitCode, 1u);

    const WString unterminated = dir / TEXT("song.mp3");
    const std::string odd(3, 'x');
    const std::vector<BYTE> oversized(128 * 1024 + 2, 'x');
    const struct {
        const char* what;
        ULONG_PTR kind;
        DWORD size;
        const void* data;
    } refused[] = {
        {"another kind", 1, 4, TEXT("a\0")},
        {"no data", 0x54534331, 0, nullptr},
        {"odd length", 0x54534331, 3, odd.data()},
        {"unterminated", 0x54534331,
         static_cast<DWORD>(unterminated.size() * sizeof(WCHAR)), unterminated.data()},
        {"oversized", 0x54534331, static_cast<DWORD>(oversized.size()), oversized.data()},
    };
    DeleteFileW((dir / TEXT("song.txt")).c_str());
    for (const auto& request : refused) {
        COPYDATASTRUCT data = {request.kind, request.size, const_cast<void*>(request.data)};
        DWORD_PTR result = 1;
        EXPECT_TRUE(SendMessageTimeoutW(dialog, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data),
                                        SMTO_NORMAL, 10000, &result))
            << request.what;
        EXPECT_EQ(result, 0u) << request.what;
    }
    EXPECT_TRUE(IsWindow(dialog));
    EXPECT_FALSE(FileExists(dir / TEXT("song.txt")));
    EXPECT_FALSE(FileExists(program.SettingsPath()));

    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    EXPECT_EQ(first.Wait(), 0u);
}

namespace {

// Folders of tracks, one per batch run, each named on its own command line.
struct BatchFolder {
    TempDir dir;
    std::vector<std::string> lyrics;
};

void FillFolder(BatchFolder& folder, int run, int tracks)
{
    for (int i = 0; i < tracks; ++i) {
        folder.lyrics.push_back("run " + std::to_string(run) + " track " + std::to_string(i));
        WriteTrack(folder.dir / Wide("t" + std::to_string(i) + ".mp3"), folder.lyrics.back());
    }
}

int MissingOutputs(const BatchFolder& folder)
{
    int missing = 0;
    for (size_t i = 0; i < folder.lyrics.size(); ++i) {
        if (ReadBytes(folder.dir / Wide("t" + std::to_string(i) + ".txt")) != folder.lyrics[i])
            ++missing;
    }
    return missing;
}

} // namespace

// A batch run never publishes its hidden window: a start that deferred to it
// would export nothing. Runs started together all export their own folders,
// and none writes its window into the block.
TEST(Program, BatchRunsStartedTogetherAllExport)
{
    ProgramCopy program;
    ASSERT_FALSE(program.Path().empty());
    constexpr int Runs = 10;
    std::vector<BatchFolder> folders(Runs);
    for (int i = 0; i < Runs; ++i)
        FillFolder(folders[i], i, 3);

    // Held here with no handle in it yet, as a dialog's block is while it is
    // being written (which a batch does not wait for): a batch that
    // published itself would write its window into it.
    SharedMemory block(InstanceBlockName);
    ASSERT_TRUE(block.Create(InstanceBlockSize));
    std::vector<std::unique_ptr<ChildRun>> runs;
    for (int i = 0; i < Runs; ++i) {
        runs.push_back(std::make_unique<ChildRun>());
        ASSERT_TRUE(runs.back()->Start(program.Path(), Quoted(folders[i].dir.Path())));
    }
    for (int i = 0; i < Runs; ++i) {
        EXPECT_EQ(runs[i]->Wait(), 0u) << "run " << i;
        EXPECT_EQ(MissingOutputs(folders[i]), 0) << "run " << i;
    }
    EXPECT_EQ(ReadWindowHandle(block), nullptr);
}

TEST(Program, InteractiveStartDuringABatchRunOpensItsDialog)
{
    ProgramCopy program;
    ASSERT_FALSE(program.Path().empty());
    BatchFolder folder;
    FillFolder(folder, 0, 400);
    // Four more folders of the same tracks, so that the batch cannot write
    // all its outputs between the first one and its suspension below, even
    // on a loaded machine.
    WString paths = Quoted(folder.dir.Path());
    for (int copy = 1; copy < 5; ++copy) {
        const WString copyDir = folder.dir / Wide("copy" + std::to_string(copy));
        ASSERT_TRUE(CreateDirectoryW(copyDir.c_str(), nullptr));
        for (int i = 0; i < 400; ++i) {
            const WString name = Wide("\\t" + std::to_string(i) + ".mp3");
            ASSERT_TRUE(CreateHardLinkW((copyDir + name).c_str(),
                                        (folder.dir.Path() + name).c_str(), nullptr));
        }
        paths += TEXT(" ") + Quoted(copyDir);
    }
    HANDLE outputs = FindFirstChangeNotificationW(folder.dir.Path().c_str(), FALSE,
                                                  FILE_NOTIFY_CHANGE_FILE_NAME);
    ASSERT_NE(outputs, INVALID_HANDLE_VALUE);
    ChildRun batch;
    ASSERT_TRUE(batch.Start(program.Path(), paths));
    // Once the export is under way (its first output is there), the batch is
    // held still until the interactive run has shown its dialog.
    const HANDLE events[] = {outputs, batch.Process()};
    const DWORD first = WaitForMultipleObjects(2, events, FALSE, 30000);
    FindCloseChangeNotification(outputs);
    ASSERT_EQ(first, WAIT_OBJECT_0);
    ASSERT_NE(SuspendThread(batch.Thread()), DWORD(-1));
    EXPECT_TRUE(batch.Running());

    ChildRun interactive;
    ASSERT_TRUE(interactive.Start(program.Path(), WString()));
    const HWND dialog = WaitForMainDialog(interactive.ProcessId());
    ResumeThread(batch.Thread());
    ASSERT_NE(dialog, nullptr);
    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    EXPECT_EQ(interactive.Wait(), 0u);
    EXPECT_EQ(batch.Wait(), 0u);
    EXPECT_EQ(MissingOutputs(folder), 0);
}

// The variant's manifest makes the process's ANSI code page 65001 under any
// locale, so the export's ANSI conversion writes UTF-8.
TEST(Program, Utf8VariantRunsUnderCodePage65001)
{
    ProgramCopy program(TEXT("tagscribe-utf8.exe.so"));
    ASSERT_FALSE(program.Path().empty());
    TempDir dir;
    const std::string lyrics = "夜の電車 — Größe";
    ASSERT_TRUE(WriteBytes(dir / TEXT("track.mp3"),
                           mp3::FileWithLyrics(lyrics, 4, mp3::Encoding::Utf8)));
    EXPECT_EQ(RunProgram(program.Path(), Quoted(dir / TEXT("track.mp3"))).exitCode, 0u);
    EXPECT_EQ(ReadBytes(dir / TEXT("track.txt")), lyrics);
}

#ifdef __WINE__
// With sub-folders searched, a library that links back to itself: the links
// up and to itself are named once each and passed over, the sibling album
// linked from the other is exported through its link as well, and the run ends.
TEST(Program, FoldersThatLeadBackAreNamedOnceAndPassedOver)
{
    ProgramCopy program;
    vela::Archive settings(1);
    settings.Child(TEXT("SubDirectory")).Value(TEXT("Check")) = vela::Bytes{1, 0, 0, 0};
    ASSERT_TRUE(!program.Path().empty() && settings.SaveFile(program.SettingsPath()));
    TempDir dir;
    ASSERT_TRUE(MakeFolder(dir / TEXT("A")) && MakeFolder(dir / TEXT("B")));
    WriteTrack(dir / TEXT("A\\a.mp3"), "a");
    WriteTrack(dir / TEXT("B\\b.mp3"), "b");
    char* converted = wine_get_unix_file_name(dir.Path().c_str());
    const std::string root = converted;  // as the report shows paths
    HeapFree(GetProcessHeap(), 0, converted);
    const char* const made[][2] = {{"/A/up", ".."}, {"/A/self", "."}, {"/A/sib", "../B"}};
    for (const auto& link : made)
        ASSERT_EQ(symlink(link[1], (root + link[0]).c_str()), 0);
    const std::string errors = RunForErrors(program.Path(), Quoted(dir.Path()));
    for (const auto& link : made)
        unlink((root + link[0]).c_str());
    EXPECT_EQ(errors, "tagscribe: " + root + "/A/self: not searched: it leads back to " + root +
                          "/A\ntagscribe: " + root + "/A/up: not searched: it leads back to " +
                          root + "\ntagscribe: 3 exported, 0 without lyrics, 0 failed, " +
                          "1 unchanged\n");
    EXPECT_EQ(ReadBytes(dir / TEXT("A\\a.txt")) + ReadBytes(dir / TEXT("B\\b.txt")), "ab");
}
#endif
