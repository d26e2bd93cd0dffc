#include "tests/support/gtest.h"

#include "app/command_line.h"
#include "tests/support/temp_dir.h"

#include <string>
#include <vector>

namespace {

struct SplitCase {
    const char* name;
    std::string text;
    std::vector<std::string> expected;
};

const SplitCase kSplitCases[] = {
    {"empty text", "", {}},
    {"spaces only", "   ", {}},
    {"one path", "a.mp3", {"a.mp3"}},
    {"runs of spaces", "a.mp3   b.mp3 ", {"a.mp3", "b.mp3"}},
    {"two adjacent quotes", "\"\"", {""}},
    {"two empty quoted parts", "\"\" \"\"", {"", ""}},
    {"quoted path with spaces", "\"C:\\My Music\\a.mp3\" b.mp3", {"C:\\My Music\\a.mp3", "b.mp3"}},
    {"tab does not separate", "a\tb c", {"a\tb", "c"}},
    {"text after closing quote", "\"x y\"z w", {"x y", "z", "w"}},
    {"quoted parts without space", "\"a\"\"b\"", {"a", "b"}},
    {"quote inside unquoted text", "a\"b\" c", {"a\"b\"", "c"}},
    {"backslash is ordinary", "C:\\dir\\ \"x\"", {"C:\\dir\\", "x"}},
    {"unclosed quote drops the rest", "a \"b c", {"a"}},
    {"unclosed quote alone", "\"unclosed", {}},
    {"stray quote after quoted part", "\"a\"\"", {"a"}},
    {"Japanese names", "\"日本 語.mp3\" 曲.mp3", {"日本 語.mp3", "曲.mp3"}},
};

TEST(SplitCommandLine, SplitsAtSpacesWithQuotesGrouping)
{
    for (const SplitCase& c : kSplitCases) {
        WStringList actual = SplitCommandLine(Wide(c.text));
        std::vector<std::string> got;
        for (const WString& argument : actual)
            got.push_back(Utf8(argument));
        EXPECT_EQ(got, c.expected) << c.name << ": [" << c.text << "]";
    }
}

} // namespace
