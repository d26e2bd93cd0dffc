#include "tests/support/gtest.h"

#include "vela/storage/archive.h"  // before <windows.h>: see there
#include "tests/support/temp_dir.h"

#include <chrono>
#include <string>

#include <zlib.h>

using vela::Archive;
using vela::Bytes;
using vela::File;

namespace {

// Builds payloads and settings files by hand, field by field.
class Stream {
public:
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
        bytes.insert(bytes.end(), {0, 0});
        return *this;
    }
    Stream& Raw(const std::string& raw)
    {
        bytes.insert(bytes.end(), raw.begin(), raw.end());
        return *this;
    }
    Stream& Raw(const Bytes& raw)
    {
        bytes.insert(bytes.end(), raw.begin(), raw.end());
        return *this;
    }
    Bytes bytes;
};

Bytes Compressed(const Bytes& payload)
{
    uLongf size = compressBound(static_cast<uLong>(payload.size()));
    Bytes out(size);
    compress(out.data(), &size, payload.data(), static_cast<uLong>(payload.size()));
    out.resize(size);
    return out;
}

// A settings file around a payload, exactly as the program lays it out.
std::string SettingsFile(const Bytes& payload, uint32_t version = 1)
{
    const Bytes packed = Compressed(payload);
    Stream file;
    file.Int(version).Int(static_cast<uint32_t>(payload.size()));
    if (!payload.empty())
        file.Int(static_cast<uint32_t>(packed.size())).Raw(packed);
    return std::string(file.bytes.begin(), file.bytes.end());
}

Bytes Serialised(const Archive& archive)
{
    Bytes bytes;
    File file;
    file.Attach(bytes);
    archive.Write(file);
    return bytes;
}

Archive Parsed(Bytes payload, bool* complete = nullptr)
{
    Archive archive;
    File file;
    file.Attach(payload);
    const bool ok = archive.Read(file);
    if (complete)
        *complete = ok;
    return archive;
}

Bytes IntValue(INT32 value)
{
    return Stream().Int(static_cast<uint32_t>(value)).bytes;
}

// What the dialog stores: a placement and one child per control.
Archive SettingsLikeTheProgram()
{
    Archive root(1);
    root.Value(TEXT("WindowPlacement")) = Bytes(44, 0x21);
    for (const char* key : {"EmptyFile", "TopMost", "SubDirectory", "SameFileName", "SameDirectory"})
        root.Child(Wide(key)).Value(TEXT("Check")) = IntValue(1);
    root.Child(TEXT("Extension")).SetString(TEXT("Text"), TEXT("txt"));
    root.Child(TEXT("FileName")).SetString(TEXT("Text"), Wide("歌詞"));
    root.Child(TEXT("Directory")).SetString(TEXT("Text"), TEXT("C:\\Lyrics"));
    return root;
}

// Every value and child in part is in whole with the same content; a child
// may itself hold only part of its counterpart.
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
        auto inner = IsPartOf(child.second, other->second);
        if (!inner)
            return inner;
    }
    return ::testing::AssertionSuccess();
}

bool SameTree(const Archive& a, const Archive& b)
{
    return a.version == b.version && a.values.size() == b.values.size() &&
           a.children.size() == b.children.size() && IsPartOf(a, b);
}

const unsigned char kWorkedExample[60] = {
    0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x54, 0x00, 0x6F, 0x00,
    0x70, 0x00, 0x4D, 0x00, 0x6F, 0x00, 0x73, 0x00, 0x74, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x01, 0x00, 0x00, 0x00, 0x43, 0x00, 0x68, 0x00, 0x65, 0x00, 0x63, 0x00, 0x6B, 0x00, 0x00, 0x00,
    0x04, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00};

} // namespace

TEST(ArchiveFormat, WorkedExampleInBothDirections)
{
    const Bytes expected(std::begin(kWorkedExample), std::end(kWorkedExample));
    Archive root(1);
    root.Child(TEXT("TopMost")).Value(TEXT("Check")) = IntValue(1);
    EXPECT_EQ(Serialised(root), expected);

    bool complete = false;
    Archive back = Parsed(expected, &complete);
    EXPECT_TRUE(complete);
    EXPECT_EQ(back.version, 1);
    EXPECT_TRUE(back.values.empty());
    ASSERT_EQ(back.children.size(), 1u);
    const Archive& topMost = back.Child(TEXT("TopMost"));
    EXPECT_EQ(topMost.version, 0);
    ASSERT_NE(topMost.FindValue(TEXT("Check")), nullptr);
    EXPECT_EQ(*topMost.FindValue(TEXT("Check")), IntValue(1));
}

TEST(ArchiveFormat, EmptyArchivesAndNewChildrenAreTwelveBytes)
{
    EXPECT_EQ(Serialised(Archive(7)), Stream().Int(7).Int(0).Int(0).bytes);
    Archive root;
    root.Child(TEXT("A"));
    EXPECT_EQ(Serialised(root), Stream().Int(0).Int(0).Int(1).Key("A").Int(0).Int(0).Int(0).bytes);
}

TEST(ArchiveFormat, ValueAndChildShareAKeyAndKeysAreCaseSensitive)
{
    Archive root(1);
    root.Value(TEXT("Check")) = IntValue(2);
    root.Child(TEXT("Check")).Value(TEXT("check")) = IntValue(3);
    root.Child(TEXT("Check")).version = 5;
    Archive back = Parsed(Serialised(root));
    EXPECT_TRUE(SameTree(back, root));
    EXPECT_EQ(*back.FindValue(TEXT("Check")), IntValue(2));
    EXPECT_EQ(back.Child(TEXT("Check")).version, 5);
    EXPECT_EQ(back.Child(TEXT("Check")).FindValue(TEXT("Check")), nullptr);
    EXPECT_EQ(back.values.size(), 1u) << "FindValue inserts nothing";
}

TEST(ArchiveFormat, LaterDuplicatesWinAndNegativeCountsMeanNone)
{
    Stream payload;
    payload.Int(1).Int(2)
        .Key("K").Int(1).Raw("a")
        .Key("K").Int(2).Raw("bc")
        .Int(2)
        .Key("C").Int(3).Int(1).Key("old").Int(0).Int(0)
        .Key("C").Int(4).Int(-1).Int(-5);
    bool complete = false;
    Archive back = Parsed(payload.bytes, &complete);
    EXPECT_TRUE(complete);
    EXPECT_EQ(*back.FindValue(TEXT("K")), Bytes({'b', 'c'}));
    const Archive& child = back.Child(TEXT("C"));
    EXPECT_EQ(child.version, 4);
    EXPECT_TRUE(child.values.empty());
    EXPECT_TRUE(child.children.empty());
}

TEST(ArchiveFormat, ReadingMergesByKey)
{
    Archive target(9);
    target.Value(TEXT("Kept")) = {1};
    target.Value(TEXT("Replaced")) = {2};
    target.Child(TEXT("Node")).Value(TEXT("Inner")) = {3};
    target.Child(TEXT("Other")).Value(TEXT("Inner")) = {4};

    Archive file(1);
    file.Value(TEXT("Replaced")) = {5};
    file.Child(TEXT("Node")).Value(TEXT("New")) = {6};
    Bytes payload = Serialised(file);
    File stream;
    stream.Attach(payload);
    EXPECT_TRUE(target.Read(stream));

    EXPECT_EQ(target.version, 1);
    EXPECT_EQ(*target.FindValue(TEXT("Kept")), Bytes{1});
    EXPECT_EQ(*target.FindValue(TEXT("Replaced")), Bytes{5});
    EXPECT_EQ(target.Child(TEXT("Node")).FindValue(TEXT("Inner")), nullptr)
        << "a child in the file replaces the node's content whole";
    EXPECT_EQ(*target.Child(TEXT("Node")).FindValue(TEXT("New")), Bytes{6});
    EXPECT_EQ(*target.Child(TEXT("Other")).FindValue(TEXT("Inner")), Bytes{4});
}

TEST(ArchiveText, StoredAsUnitsWithoutTerminator)
{
    Archive node;
    node.SetString(TEXT("Text"), Wide("a歌"));
    EXPECT_EQ(*node.FindValue(TEXT("Text")), Bytes({'a', 0, 0x4C, 0x6B}));
    EXPECT_EQ(node.GetString(TEXT("Text"), TEXT("x")), Wide("a歌"));

    struct Case {
        const char* name;
        Bytes stored;
        const char* expected;
    } cases[] = {
        {"odd length drops the last byte", {'a', 0, 'b', 0, 'c'}, "ab"},
        {"one byte", {'a'}, ""},
        {"empty is not the fallback", {}, ""},
    };
    for (const auto& c : cases) {
        node.Value(TEXT("Text")) = c.stored;
        EXPECT_EQ(Utf8(node.GetString(TEXT("Text"), TEXT("fallback"))), c.expected) << c.name;
    }
    EXPECT_EQ(node.GetString(TEXT("text"), TEXT("fallback")), WString(TEXT("fallback")));
    EXPECT_TRUE(node.values.find(TEXT("text")) == node.values.end());
}

class ArchiveFile : public ::testing::Test {
protected:
    TempDir dir;
    WString path = dir / TEXT("tagscribe.exe.dat");
};

TEST_F(ArchiveFile, SaveAndLoadTheSettings)
{
    const Archive saved = SettingsLikeTheProgram();
    ASSERT_TRUE(saved.SaveFile(path));
    EXPECT_FALSE(FileExists(path + TEXT(".tmp")));

    const std::string bytes = ReadBytes(path);
    const Bytes payload = Serialised(saved);
    Stream header;
    header.Int(1).Int(static_cast<uint32_t>(payload.size()))
        .Int(static_cast<uint32_t>(bytes.size() - 12));
    ASSERT_GT(bytes.size(), 12u);
    EXPECT_EQ(bytes.substr(0, 12), std::string(header.bytes.begin(), header.bytes.end()));
    Bytes inflated(payload.size());
    uLongf size = static_cast<uLongf>(inflated.size());
    ASSERT_EQ(uncompress(inflated.data(), &size,
                         reinterpret_cast<const Bytef*>(bytes.data()) + 12,
                         static_cast<uLong>(bytes.size() - 12)),
              Z_OK);
    EXPECT_EQ(inflated, payload);

    EXPECT_EQ(Archive::PeekVersion(path), 1);
    Archive loaded;
    EXPECT_TRUE(loaded.LoadFile(path));
    EXPECT_TRUE(SameTree(loaded, saved));

    // Saving again replaces the file whole.
    ASSERT_TRUE(Archive(1).SaveFile(path));
    Archive empty;
    EXPECT_TRUE(empty.LoadFile(path));
    EXPECT_TRUE(empty.values.empty() && empty.children.empty());
}

TEST_F(ArchiveFile, SaveIntoAMissingFolderLeavesNothing)
{
    const WString folder = dir / TEXT("absent");
    EXPECT_FALSE(SettingsLikeTheProgram().SaveFile(folder + TEXT("\\settings.dat")));
    EXPECT_EQ(GetFileAttributesW(folder.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(ArchiveFile, SaveThatCannotReplaceKeepsTheOldFile)
{
    // A folder where the settings file should be: nothing can replace it.
    const WString folder = dir / TEXT("folder.dat");
    ASSERT_TRUE(MakeFolder(folder));
    EXPECT_FALSE(SettingsLikeTheProgram().SaveFile(folder));
    EXPECT_FALSE(FileExists(folder + TEXT(".tmp")));

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

TEST_F(ArchiveFile, PeekVersion)
{
    struct Case {
        const char* name;
        std::string bytes;
        INT32 expected;
    } cases[] = {
        {"version 2 is not this program's", SettingsFile(Serialised(Archive(2)), 2), 2},
        {"empty file", "", 0},
        {"two bytes", std::string("\x01\x00", 2), 1},
        {"three bytes", std::string("\x01\x00\x01", 3), 0x10001},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(WriteBytes(path, c.bytes));
        Archive untouched(5);
        EXPECT_EQ(untouched.PeekVersion(path), c.expected) << c.name;
        EXPECT_EQ(untouched.version, 5);
    }
    EXPECT_EQ(Archive::PeekVersion(dir / TEXT("missing.dat")), 0);
    Archive archive(3);
    EXPECT_FALSE(archive.LoadFile(dir / TEXT("missing.dat")));
    EXPECT_EQ(archive.version, 3);
}

TEST_F(ArchiveFile, ShortHeadersLoadAsAnEmptyTree)
{
    for (std::string bytes : {std::string("\x01\x00\x00\x00", 4), std::string(8, '\0')}) {
        bytes[0] = 1;
        ASSERT_TRUE(WriteBytes(path, bytes));
        Archive archive;
        EXPECT_TRUE(archive.LoadFile(path));
        EXPECT_EQ(archive.version, 1);
        EXPECT_TRUE(archive.values.empty() && archive.children.empty());
    }
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
        s.Int(0).Int(0).Int(0);
        return s.bytes;
    };
    auto withWord = [&](size_t offset, uint32_t word) {
        std::string bytes = valid;
        for (int i = 0; i < 4; ++i)
            bytes[offset + i] = static_cast<char>(word >> (8 * i));
        return bytes;
    };
    std::string flipped = valid;
    flipped[20] ^= 0x55;
    std::string badChecksum = valid;
    badChecksum.back() ^= 1;

    Archive justA;
    justA.Value(TEXT("A")) = {'x'};
    const Archive nothing;

    struct Case {
        std::string name;
        std::string bytes;
        const Archive* exactly;  // when null: any part of the program's settings
    };
    std::vector<Case> cases = {
        {"huge value count", SettingsFile(Stream().Int(1).Int(0x7FFFFFFF).Key("A").Int(1).Raw("x").bytes), &justA},
        {"huge child count", SettingsFile(Stream().Int(1).Int(0).Int(0x7FFFFFFF).bytes), &nothing},
        {"huge value length", SettingsFile(Stream().Int(1).Int(1).Key("A").Int(0x7FFFFFF0).Raw("xy").bytes), &nothing},
        {"negative value length", SettingsFile(Stream().Int(1).Int(1).Key("A").Int(0xFFFFFFFF).Raw("xy").bytes), &nothing},
        {"unterminated key", SettingsFile(Stream().Int(1).Int(1).Raw(std::string("A\0B\0", 4)).bytes), &nothing},
        {"nesting 20 deep", SettingsFile(deep(20)), nullptr},
        {"nesting 20000 deep", SettingsFile(deep(20000)), nullptr},
        {"payload is not zlib", withWord(12, 0xDEADBEEF), &nothing},
        {"flipped byte inside the stream", flipped, &nothing},
        {"bad checksum", badChecksum, &nothing},
        {"N claims 4 GiB", withWord(4, 0xFFFFFFFF), &nothing},
        {"N claims 64 MiB", withWord(4, 64u << 20), &nothing},
        {"N one byte short", withWord(4, static_cast<uint32_t>(payload.size() - 1)), &nothing},
        {"N one byte long", withWord(4, static_cast<uint32_t>(payload.size() + 1)), &nothing},
        {"C claims 2 GiB", withWord(8, 0x7FFFFFFF), &nothing},
        {"C claims nothing", withWord(8, 0), &nothing},
        {"trailing garbage", valid + "garbage", nullptr},
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
        const auto start = std::chrono::steady_clock::now();
        loaded.LoadFile(path);
        const auto elapsed = std::chrono::steady_clock::now() - start;
        EXPECT_LT(elapsed, std::chrono::seconds(2)) << c.name;
        if (c.name.rfind("nesting", 0) == 0) {
            int depth = 0;
            for (const Archive* node = &loaded; !node->children.empty();
                 node = &node->children.begin()->second)
                ++depth;
            EXPECT_GE(depth, 16) << c.name;
            EXPECT_LE(depth, 17) << c.name;
        } else if (c.exactly) {
            EXPECT_TRUE(loaded.values.size() == c.exactly->values.size() &&
                        loaded.children.size() == c.exactly->children.size() &&
                        IsPartOf(loaded, *c.exactly))
                << c.name;
        } else {
            EXPECT_TRUE(IsPartOf(loaded, whole)) << c.name;
            partial += !loaded.values.empty() || !loaded.children.empty();
        }
    }
    EXPECT_GT(partial, payload.size() / 2) << "a cut payload keeps the records before the cut";
}

TEST_F(ArchiveFile, LargestAcceptedPayloadLoadsInBoundedTime)
{
    // About 4 MiB of distinct two-character keys: the worst a file can ask for.
    Stream payload;
    const uint32_t count = 400000;
    payload.Int(1).Int(count);
    for (uint32_t i = 0; i < count; ++i) {
        payload.bytes.insert(payload.bytes.end(),
                             {BYTE(i), 0x41, BYTE(i >> 8), BYTE(0x41 + (i >> 16)), 0, 0});
        payload.Int(0);
    }
    payload.Int(0);
    ASSERT_LE(payload.bytes.size(), 4u << 20);
    ASSERT_TRUE(WriteBytes(path, SettingsFile(payload.bytes)));
    Archive loaded;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(loaded.LoadFile(path));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    EXPECT_EQ(loaded.values.size(), count);
}
