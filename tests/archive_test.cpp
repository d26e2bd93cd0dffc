#include "tests/support/gtest.h"

#include "vela/storage/archive.h"  // before <windows.h>: see there
#include "tests/support/temp_dir.h"

#include <string>

#include <zlib.h>

using vela::Archive;
using vela::Bytes;
using vela::File;

namespace {

// Payloads and settings files built by hand, field by field.
struct Stream {
    Stream& Int(uint32_t value)
    {
        for (int i = 0; i < 4; ++i)
            bytes.push_back(static_cast<BYTE>(value >> (8 * i)));
        return *this;
    }
    Stream& Key(const char* ascii)
    {
        for (const char* p = ascii; *p; ++p)
            bytes.insert(bytes.end(), {static_cast<BYTE>(*p), 0});
        return Raw(std::string(2, '\0'));
    }
    template <class Container>
    Stream& Raw(const Container& raw)
    {
        bytes.insert(bytes.end(), raw.begin(), raw.end());
        return *this;
    }
    std::string Text() const { return std::string(bytes.begin(), bytes.end()); }
    Bytes bytes;
};

std::string SettingsFile(const Bytes& payload, uint32_t version = 1)
{
    uLongf size = compressBound(static_cast<uLong>(payload.size()));
    Bytes packed(size);
    compress(packed.data(), &size, payload.data(), static_cast<uLong>(payload.size()));
    packed.resize(size);
    Stream file;
    file.Int(version).Int(static_cast<uint32_t>(payload.size()));
    if (!payload.empty())
        file.Int(static_cast<uint32_t>(size)).Raw(packed);
    return file.Text();
}

Bytes Serialised(const Archive& archive)
{
    Bytes bytes;
    File file;
    file.Attach(bytes);
    archive.Write(file);
    return bytes;
}

bool ReadInto(Archive& archive, Bytes payload)
{
    File file;
    file.Attach(payload);
    return archive.Read(file);
}

Bytes IntValue(uint32_t value)
{
    return Stream().Int(value).bytes;
}

// What the dialog stores: a placement and one child per control.
Archive SettingsLikeTheProgram()
{
    Archive root(1);
    root.Value(TEXT("WindowPlacement")) = Bytes(44, 0x21);
    for (const char* key : {"EmptyFile", "TopMost", "SubDirectory", "SameFileName", "SameDirectory"})
        root.Child(Wide(key)).Value(TEXT("Check")) = IntValue(1);
    root.Child(TEXT("FileName")).SetString(TEXT("Text"), Wide("歌詞"));
    root.Child(TEXT("Directory")).SetString(TEXT("Text"), TEXT("C:\\Lyrics"));
    return root;
}

// Every value and child of part is in whole with the same content (a child
// may itself hold only part of its counterpart).
::testing::AssertionResult IsPartOf(const Archive& part, const Archive& whole)
{
    for (const auto& value : part.values) {
        const Bytes* other = whole.FindValue(value.first);
        if (!other || *other != value.second)
            return ::testing::AssertionFailure() << "value " << Utf8(value.first) << " differs";
    }
    for (const auto& child : part.children) {
        auto other = whole.children.find(child.first);
        if (other == whole.children.end())
            return ::testing::AssertionFailure() << "unknown child " << Utf8(child.first);
        if (auto inner = IsPartOf(child.second, other->second); !inner)
            return inner;
    }
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult SameTree(const Archive& a, const Archive& b)
{
    if (a.values.size() != b.values.size() || a.children.size() != b.children.size())
        return ::testing::AssertionFailure() << "different sizes";
    return IsPartOf(a, b);
}

} // namespace

TEST(ArchiveFormat, WorkedExampleInBothDirections)
{
    const Bytes expected = Stream().Int(1).Int(0).Int(1).Key("TopMost")
                               .Int(0).Int(1).Key("Check").Int(4).Int(1).Int(0).bytes;
    ASSERT_EQ(expected.size(), 60u);
    Archive root(1);
    root.Child(TEXT("TopMost")).Value(TEXT("Check")) = IntValue(1);
    EXPECT_EQ(Serialised(root), expected);

    Archive back;
    EXPECT_TRUE(ReadInto(back, expected));
    EXPECT_EQ(back.version, 1);
    EXPECT_TRUE(SameTree(back, root));

    EXPECT_EQ(Serialised(Archive(7)), Stream().Int(7).Int(0).Int(0).bytes);
    Archive fresh;
    fresh.Child(TEXT("A"));
    EXPECT_EQ(Serialised(fresh), Stream().Int(0).Int(0).Int(1).Key("A").Int(0).Int(0).Int(0).bytes);
}

TEST(ArchiveFormat, KeysDuplicatesAndNegativeCounts)
{
    Archive root(1);
    root.Value(TEXT("Check")) = IntValue(2);
    root.Child(TEXT("Check")).Value(TEXT("check")) = IntValue(3);
    root.Child(TEXT("Check")).version = 5;
    Archive back;
    ReadInto(back, Serialised(root));
    EXPECT_TRUE(SameTree(back, root)) << "a value and a child under one key";
    EXPECT_EQ(back.Child(TEXT("Check")).version, 5);
    EXPECT_EQ(back.Child(TEXT("Check")).FindValue(TEXT("Check")), nullptr) << "case-sensitive";
    EXPECT_EQ(back.Child(TEXT("Check")).values.size(), 1u) << "FindValue inserts nothing";

    Stream payload;
    payload.Int(1).Int(2).Key("K").Int(1).Raw(std::string("a")).Key("K").Int(2).Raw(std::string("bc"))
        .Int(2).Key("C").Int(3).Int(1).Key("old").Int(0).Int(0)
        .Key("C").Int(4).Int(-1).Int(-5);
    Archive dup;
    EXPECT_TRUE(ReadInto(dup, payload.bytes));
    EXPECT_EQ(*dup.FindValue(TEXT("K")), Bytes({'b', 'c'}));
    EXPECT_EQ(dup.Child(TEXT("C")).version, 4);
    EXPECT_TRUE(dup.Child(TEXT("C")).values.empty()) << "the later child wins, its counts are negative";
}

TEST(ArchiveFormat, ReadingMergesByKey)
{
    Archive target(9);
    target.Value(TEXT("Kept")) = {1};
    target.Value(TEXT("Replaced")) = {2};
    target.Child(TEXT("Node")).Value(TEXT("Inner")) = {3};
    Archive file(1);
    file.Value(TEXT("Replaced")) = {5};
    file.Child(TEXT("Node")).Value(TEXT("New")) = {6};
    EXPECT_TRUE(ReadInto(target, Serialised(file)));
    EXPECT_EQ(target.version, 1);
    EXPECT_EQ(*target.FindValue(TEXT("Kept")), Bytes{1});
    EXPECT_EQ(*target.FindValue(TEXT("Replaced")), Bytes{5});
    EXPECT_TRUE(SameTree(target.Child(TEXT("Node")), file.Child(TEXT("Node"))));
}

TEST(ArchiveFormat, TextValues)
{
    Archive node;
    node.SetString(TEXT("Text"), Wide("a歌"));
    EXPECT_EQ(*node.FindValue(TEXT("Text")), Bytes({'a', 0, 0x4C, 0x6B}));
    EXPECT_EQ(node.GetString(TEXT("Text"), TEXT("x")), Wide("a歌"));
    struct Case {
        Bytes stored;
        const char* expected;
    } cases[] = {{{'a', 0, 'b', 0, 'c'}, "ab"}, {{'a'}, ""}, {{}, ""}};
    for (const auto& c : cases) {
        node.Value(TEXT("Text")) = c.stored;
        EXPECT_EQ(Utf8(node.GetString(TEXT("Text"), TEXT("fallback"))), c.expected);
    }
    EXPECT_EQ(node.GetString(TEXT("text"), TEXT("fallback")), WString(TEXT("fallback")));
}

class ArchiveFile : public ::testing::Test {
protected:
    TempDir dir;
    WString path = dir / TEXT("tagscribe.exe.dat");
};

TEST_F(ArchiveFile, SaveLoadAndPeek)
{
    const Archive saved = SettingsLikeTheProgram();
    ASSERT_TRUE(saved.SaveFile(path));
    EXPECT_FALSE(FileExists(path + TEXT(".tmp")));
    const Bytes payload = Serialised(saved);
    const std::string bytes = ReadBytes(path);
    ASSERT_GT(bytes.size(), 12u);
    EXPECT_EQ(bytes.substr(0, 12),
              Stream().Int(1).Int(uint32_t(payload.size())).Int(uint32_t(bytes.size() - 12)).Text());
    Archive loaded;
    EXPECT_EQ(Archive::PeekVersion(path), 1);
    EXPECT_TRUE(loaded.LoadFile(path));
    EXPECT_EQ(loaded.version, 1);
    EXPECT_TRUE(SameTree(loaded, saved));

    struct Case {
        const char* name;
        std::string bytes;
        INT32 peek;
    } cases[] = {
        {"version 2 is not this program's", SettingsFile(Serialised(Archive(2)), 2), 2},
        {"empty file", "", 0},
        {"header only", Stream().Int(1).Text(), 1},
        {"N = 0", Stream().Int(1).Int(0).Text(), 1},
        {"three bytes", std::string("\x01\x00\x01", 3), 0x10001},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(WriteBytes(path, c.bytes));
        EXPECT_EQ(Archive::PeekVersion(path), c.peek) << c.name;
        Archive empty;
        empty.LoadFile(path);
        EXPECT_TRUE(empty.values.empty() && empty.children.empty()) << c.name;
    }
    EXPECT_EQ(Archive::PeekVersion(dir / TEXT("missing.dat")), 0);
}

TEST_F(ArchiveFile, FailedSavesLeaveNothingBehind)
{
    const WString folder = dir / TEXT("absent");
    EXPECT_FALSE(SettingsLikeTheProgram().SaveFile(folder + TEXT("\\settings.dat")));
    EXPECT_EQ(GetFileAttributesW(folder.c_str()), INVALID_FILE_ATTRIBUTES);

    // The old file held open by a reader that does not share deletion.
    ASSERT_TRUE(Archive(1).SaveFile(path));
    const std::string old = ReadBytes(path);
    HANDLE reader = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(SettingsLikeTheProgram().SaveFile(path));
    CloseHandle(reader);
    EXPECT_EQ(ReadBytes(path), old);
    EXPECT_FALSE(FileExists(path + TEXT(".tmp")));
}

// Every damaged file loads quickly to the defaults or to part of the tree it
// was made from, and never to anything else.
TEST_F(ArchiveFile, DamagedFilesLoadTheDefaultsOrAPrefix)
{
    const Archive whole = SettingsLikeTheProgram();
    const Bytes payload = Serialised(whole);
    const std::string valid = SettingsFile(payload);
    auto deep = [](int levels) {
        Stream s;
        for (int i = 0; i < levels; ++i)
            s.Int(0).Int(0).Int(1).Key("a");
        return s.Int(0).Int(0).Int(0).bytes;
    };
    auto patched = [&](size_t offset, uint32_t word) {
        return valid.substr(0, offset) + Stream().Int(word).Text() + valid.substr(offset + 4);
    };
    Archive justA;
    justA.Value(TEXT("A")) = {'x'};
    const Archive nothing;

    struct Case {
        std::string name;
        std::string bytes;
        const Archive* exactly;  // when null: any part of the program's settings
    };
    std::vector<Case> cases = {
        {"huge value count", SettingsFile(Stream().Int(1).Int(0x7FFFFFFF).Key("A").Int(1).Raw(std::string("x")).bytes), &justA},
        {"huge child count", SettingsFile(Stream().Int(1).Int(0).Int(0x7FFFFFFF).bytes), &nothing},
        {"huge value length", SettingsFile(Stream().Int(1).Int(1).Key("A").Int(0x7FFFFFF0).Int(0).bytes), &nothing},
        {"negative value length", SettingsFile(Stream().Int(1).Int(1).Key("A").Int(-1).Int(0).bytes), &nothing},
        {"unterminated key", SettingsFile(Stream().Int(1).Int(1).Raw(std::string("A\0B\0", 4)).bytes), &nothing},
        {"nesting 20 deep", SettingsFile(deep(20)), nullptr},
        {"nesting 20000 deep", SettingsFile(deep(20000)), nullptr},
        {"payload is not zlib", patched(12, 0xDEADBEEF), &nothing},
        {"bad checksum", patched(valid.size() - 4, 0), &nothing},
        {"N claims 4 GiB", patched(4, 0xFFFFFFFF), &nothing},
        {"N claims 64 MiB", patched(4, 64u << 20), &nothing},
        {"N one byte short", patched(4, uint32_t(payload.size() - 1)), &nothing},
        {"N one byte long", patched(4, uint32_t(payload.size() + 1)), &nothing},
        {"C claims 2 GiB", patched(8, 0x7FFFFFFF), &nothing},
        {"C claims nothing", patched(8, 0), &nothing},
        {"trailing garbage", valid + "garbage", &whole},
    };
    for (size_t cut = 0; cut < valid.size(); ++cut)
        cases.push_back({"file cut at " + std::to_string(cut), valid.substr(0, cut), &nothing});
    for (size_t cut = 0; cut < payload.size(); ++cut)
        cases.push_back({"payload cut at " + std::to_string(cut),
                         SettingsFile(Bytes(payload.begin(), payload.begin() + cut)), nullptr});

    size_t partial = 0;
    for (const auto& c : cases) {
        ASSERT_TRUE(WriteBytes(path, c.bytes));
        Archive loaded;
        loaded.LoadFile(path);
        if (c.name.rfind("nesting", 0) == 0) {
            int depth = 0;
            for (const Archive* n = &loaded; !n->children.empty(); n = &n->children.begin()->second)
                ++depth;
            EXPECT_TRUE(depth == 16 || depth == 17) << c.name << ": " << depth;
        } else if (c.exactly) {
            EXPECT_TRUE(SameTree(loaded, *c.exactly)) << c.name;
        } else {
            EXPECT_TRUE(IsPartOf(loaded, whole)) << c.name;
            partial += !loaded.values.empty() || !loaded.children.empty();
        }
    }
    EXPECT_GT(partial, payload.size() / 2) << "a cut payload keeps the records before the cut";
}

TEST_F(ArchiveFile, LargestAcceptedPayloadLoads)
{
    // Nearly 4 MiB of distinct two-unit keys: the most a file can ask for.
    const uint32_t count = 400000;
    Stream payload;
    payload.Int(1).Int(count);
    for (uint32_t i = 0; i < count; ++i)
        payload.Raw(Bytes{BYTE(i), 0x41, BYTE(i >> 8), BYTE(0x41 + (i >> 16)), 0, 0}).Int(0);
    payload.Int(0);
    ASSERT_TRUE(WriteBytes(path, SettingsFile(payload.bytes)));
    Archive loaded;
    EXPECT_TRUE(loaded.LoadFile(path));
    EXPECT_EQ(loaded.values.size(), count);
}
