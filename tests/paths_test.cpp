#include "tests/support/gtest.h"

#include "app/code_page_loss.h"
#include "app/output_path.h"
#include "app/paths.h"
#include "tests/support/code_pages.h"
#include "tests/support/temp_dir.h"

#include <string>
#include <vector>

namespace {

// A folder path of exactly `length` characters: C:\ followed by x's.
WString FolderOfLength(size_t length)
{
    return TEXT("C:\\") + WString(length - 3, 'x');
}

} // namespace

TEST(Paths, TakesPathsApart)
{
    using Function = WString (*)(const WString&);
    struct Case {
        Function function;
        const char* input;
        const char* expected;
    };
    const Function add = AddBackslash, parent = ParentFolder, leaf = LeafName,
                   extension = ExtensionOf, strip = StripExtension;
    const Case cases[] = {
        {add, "", ""},
        {add, "C:\\out\\", "C:\\out\\"},
        {add, "C:\\out", "C:\\out\\"},
        {add, "C:", "C:\\"},
        {add, "relative", "relative\\"},
        {add, "\\\\server\\share", "\\\\server\\share\\"},
        {parent, "D:\\Music\\Song.mp3", "D:\\Music"},
        {parent, "D:\\Song.mp3", "D:\\"},
        {parent, "D:\\", "D:\\"},
        {parent, "Song.mp3", ""},
        {parent, "", ""},
        {parent, "sub\\Song.mp3", "sub"},
        {parent, "\\Song.mp3", "\\"},
        {parent, "D:\\a.b\\c.d\\e", "D:\\a.b\\c.d"},
        {parent, "D:\\Music\\", "D:\\Music"},
        {leaf, "D:\\Music\\Song.mp3", "Song.mp3"},
        {leaf, "Song.mp3", "Song.mp3"},
        {leaf, "D:Song.mp3", "Song.mp3"},
        {leaf, "D:/Music/Song.mp3", "Song.mp3"},
        {leaf, "D:\\Music\\", "Music\\"},
        {leaf, "", ""},
        {leaf, "D:\\my.folder\\song", "song"},
        {extension, "D:\\Music\\Song.mp3", ".mp3"},
        {extension, "D:\\Music\\Song.MP3", ".MP3"},
        {extension, "D:\\my.folder\\song", ""},
        {extension, "archive.tar.gz", ".gz"},
        {extension, "song.", "."},
        {extension, ".hidden", ".hidden"},
        {extension, "", ""},
        {strip, "D:\\Music\\Song.MP3", "D:\\Music\\Song"},
        {strip, "D:\\my.folder\\song", "D:\\my.folder\\song"},
        {strip, "archive.tar.gz", "archive.tar"},
        {strip, "song.", "song"},
        {strip, ".hidden", ""},
        {strip, "", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Utf8(c.function(Wide(c.input))), c.expected) << "case " << (&c - cases);
}

TEST(Paths, ReplaceExtension)
{
    struct Case {
        const char* path;
        const char* extension;
        const char* expected;
    };
    const Case cases[] = {
        {"song.mp3", ".txt", "song.txt"},
        {"song", ".txt", "song.txt"},
        {"", ".txt", ".txt"},
        {"C:\\Tools\\App.exe", ".dat", "C:\\Tools\\App.dat"},
        {"D:\\my.folder\\song", ".txt", "D:\\my.folder\\song.txt"},
        {"song.mp3", "..txt", "song..txt"},
        {"song.mp3", "", "song"},
        {"a.longextension", ".t", "a.t"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Utf8(ReplaceExtension(Wide(c.path), Wide(c.extension))), c.expected)
            << c.path << " + " << c.extension;
}

// Folders at and past the 260-character limit are composed like short ones:
// a folder left without its backslash, or a name left with its old
// extension, would put an output beside its folder or over its input.
TEST(Paths, LongPathsAreComposedWhole)
{
    for (size_t length : {258u, 259u, 260u, 261u, 300u, 1000u}) {
        const WString folder = FolderOfLength(length);
        EXPECT_EQ(AddBackslash(folder), folder + TEXT("\\")) << length;
        EXPECT_EQ(AddBackslash(folder + TEXT("\\")), folder + TEXT("\\")) << length;
        EXPECT_EQ(ReplaceExtension(folder + TEXT(".mp3"), TEXT(".txt")), folder + TEXT(".txt"))
            << length;
        // A dot in a long folder's name is no extension of a file inside it.
        EXPECT_EQ(ReplaceExtension(folder + TEXT(".d\\song"), TEXT(".txt")),
                  folder + TEXT(".d\\song.txt")) << length;

        const OutputOptions beside = {true, WString(), true, WString(), TEXT("txt")};
        EXPECT_EQ(ComposeOutputPath(folder + TEXT("\\Song.mp3"), beside),
                  folder + TEXT("\\Song.txt")) << length;
        const OutputOptions typed = {false, folder, false, TEXT("out.lrc"), TEXT("txt")};
        EXPECT_EQ(ComposeOutputPath(TEXT("D:\\a.mp3"), typed), folder + TEXT("\\out.txt"))
            << length;
    }
}

TEST(Paths, ModulePathNamesThisRunner)
{
    WString path = ModulePath();
    ASSERT_FALSE(path.empty());
    EXPECT_TRUE(FileExists(path)) << Utf8(path);
    EXPECT_NE(path.find(TEXT(":\\")), WString::npos) << Utf8(path);
    EXPECT_NE(Utf8(LeafName(path)).find("tagscribe_tests"), std::string::npos) << Utf8(path);
}

// ToAnsi depends on the ANSI code page in force. These cases run in this
// process and again in child processes started under the other code pages
// (see AnsiCodePages below).
namespace {

struct AnsiCase {
    const char* text;  // UTF-8
    std::string bytes;
};

std::vector<AnsiCase> AnsiCases(UINT codePage)
{
    std::vector<AnsiCase> cases = {
        {"", ""},
        {"abc", "abc"},
        {"line\r\nbreak\n", "line\r\nbreak\n"},
        // Hangul has no place in either code page and no near equivalent.
        {"\xED\x95\x9C", "?"},
        {"a\xED\x95\x9C", "a?"},
    };
    if (codePage == 1252) {
        cases.push_back({"caf\xC3\xA9", "caf\xE9"});
        cases.push_back({"\xE2\x82\xAC", "\x80"});
        cases.push_back({"\xE6\x97\xA5\xE6\x9C\xAC", "??"});
    } else if (codePage == 932) {
        cases.push_back({"\xE6\x97\xA5\xE6\x9C\xAC", "\x93\xFA\x96\x7B"});
        // Trail byte 0x5C, the backslash.
        cases.push_back({"\xE8\xA1\xA8", "\x95\x5C"});
        cases.push_back({"\xEF\xBD\xB1", "\xB1"});  // half-width katakana a
        cases.push_back({"\xE2\x82\xAC", "?"});
    }
    return cases;
}

} // namespace

TEST(AnsiText, ConvertsToTheCodePageInForce)
{
    UINT codePage = GetACP();
    // A child run checks that its locale really gave it the code page.
    if (ChildCodePage() != 0) {
        ASSERT_EQ(codePage, ChildCodePage());
    }
    for (const AnsiCase& c : AnsiCases(codePage))
        EXPECT_EQ(ToAnsi(Wide(c.text)), c.bytes)
            << "code page " << codePage << ", text \"" << c.text << "\"";
}

TEST(AnsiText, StopsAtTheFirstNulAndNeverEndsWithZero)
{
    WString text = TEXT("ab");
    text += WCHAR(0);
    text += TEXT("cd");
    EXPECT_EQ(ToAnsi(text), "ab");
    EXPECT_EQ(ToAnsi(WString(3, WCHAR(0))), "");

    // A character above U+FFFF: replaced, and still no terminator in the result.
    std::string emoji = ToAnsi(Wide("x\xF0\x9F\x8E\xB5"));
    ASSERT_GE(emoji.size(), 2u);
    EXPECT_EQ(emoji[0], 'x');
    EXPECT_EQ(emoji.find('\0'), std::string::npos) << testing::PrintToString(emoji);
    EXPECT_EQ(emoji.find_first_not_of("x?"), std::string::npos) << testing::PrintToString(emoji);
}

TEST(AnsiText, LongTextConvertsWhole)
{
    WString text = WString(100000, 'a') + Wide("\xED\x95\x9C");
    std::string bytes = ToAnsi(text);
    ASSERT_EQ(bytes.size(), 100001u);
    EXPECT_EQ(bytes.back(), '?');
}

// What the export names as lost: characters written as "?" or as a
// look-alike. Under 932 "é" comes out as "e" and the IBM copy of a kanji
// (U+FA11) as its usual spelling, neither of them "?".
TEST(AnsiText, CountsTheCharactersThatDoNotComeBack)
{
    const UINT codePage = GetACP();
    const struct {
        const char* text;
        size_t lost1252, asDefault1252, lost932, asDefault932;
    } rows[] = {
        {"plain ASCII\r\n", 0, 0, 0, 0},
        {"caf\xC3\xA9", 0, 0, 1, 0},
        {"\xE6\x97\xA5\xE6\x9C\xAC", 2, 2, 0, 0},
        {"\xE2\x98\x83 \xF0\x9F\x8E\xB5 \xE2\x98\x83", 3, 3, 3, 3},
        {"\xC3\xA9\xE6\x97\xA5", 1, 1, 1, 0},
    };
    for (const auto& row : rows) {
        const WString text = Wide(row.text);
        const CodePageLoss loss = MeasureLoss(text, ToAnsi(text));
        if (codePage == 1252) {
            EXPECT_EQ(loss.lost, row.lost1252) << row.text;
            EXPECT_EQ(loss.asDefault, row.asDefault1252) << row.text;
        } else if (codePage == 932) {
            EXPECT_EQ(loss.lost, row.lost932) << row.text;
            EXPECT_EQ(loss.asDefault, row.asDefault932) << row.text;
        }
    }
}

// Re-runs the AnsiText cases in a child process for every code page that this
// process does not already run under.
#ifdef __WINE__
TEST(AnsiCodePages, AnsiTextPassesUnderEachCodePage)
{
    if (ChildCodePage() != 0)
        GTEST_SKIP() << "already a child run";
    ExpectPassUnderOtherCodePages(TEXT("AnsiText.*"), 4);
}
#endif
