#include "vela/storage/archive.h"

#include <algorithm>
#include <cstdint>

namespace vela {

namespace {

// The settings payload is a few hundred bytes in practice; even three edit
// texts at the edit control's default limit stay far below this. Larger
// claims come from damaged files and are rejected before anything is
// allocated; SaveFile refuses to write a tree it could not load back.
constexpr uint64_t kMaxPayload = 4u << 20;
// Deflate cannot expand input by more than about 1032 to 1.
constexpr uint64_t kMaxInflateRatio = 1032;
// The program writes a root and one level of children.
constexpr int kMaxDepth = 16;

bool TakeInt(File& file, INT32& value)
{
    if (file.Remaining() < 4)
        return false;
    value = file.ReadInt();
    return true;
}

bool PlausiblePayload(uint64_t length, uint64_t storedBytes)
{
    return length <= kMaxPayload && length <= storedBytes * kMaxInflateRatio;
}

} // namespace

Archive::Archive(INT32 nodeVersion) : version(nodeVersion) {}

Archive& Archive::Child(const WString& key)
{
    return children[key];
}

Bytes& Archive::Value(const WString& key)
{
    return values[key];
}

const Bytes* Archive::FindValue(const WString& key) const
{
    auto found = values.find(key);
    return found == values.end() ? nullptr : &found->second;
}

void Archive::SetString(const WString& key, const WString& text)
{
    Bytes bytes(text.size() * 2);
    for (size_t i = 0; i < text.size(); ++i) {
        bytes[2 * i] = static_cast<BYTE>(text[i] & 0xFF);
        bytes[2 * i + 1] = static_cast<BYTE>(text[i] >> 8);
    }
    values[key] = std::move(bytes);
}

WString Archive::GetString(const WString& key, WString fallback) const
{
    const Bytes* bytes = FindValue(key);
    if (!bytes)
        return fallback;
    WString text(bytes->size() / 2, 0);
    for (size_t i = 0; i < text.size(); ++i)
        text[i] = static_cast<WCHAR>((*bytes)[2 * i] | (*bytes)[2 * i + 1] << 8);
    return text;
}

bool Archive::Write(File& file) const
{
    file.WriteInt(version);
    file.WriteInt(static_cast<INT32>(values.size()));
    for (const auto& value : values) {
        file.WriteString(value.first);
        file.WriteInt(static_cast<INT32>(value.second.size()));
        if (!value.second.empty())
            file.Write(value.second.data(), static_cast<DWORD>(value.second.size()));
    }
    file.WriteInt(static_cast<INT32>(children.size()));
    for (const auto& child : children) {
        file.WriteString(child.first);
        child.second.Write(file);
    }
    return true;
}

// The settings file, all integers little-endian, no alignment:
//
//   offset 0   version  int32   the root's version (1); the only identification
//          4   N        uint32  payload bytes before compression
//          8   C        uint32  compressed bytes; present only when N is not 0
//         12   C bytes          zlib stream (compress, default level) of the payload
//
// The payload is one node, recursively:
//
//   version      int32
//   value count  int32   a negative count means none
//     key        UTF-16LE code units, then a 0 unit
//     length L   int32, then L bytes
//   child count  int32   a negative count means none
//     key        as above
//     node       this same layout
//
// Limits and damage. A file too short to hold N, or with N = 0, loads as an
// empty tree. N above 4 MiB, or above what the C bytes actually stored could
// inflate to, is rejected without allocating it. A payload that does not
// inflate to exactly N bytes with a good checksum loads nothing. Within the
// payload, a count, key, length or value that runs past its end stops the
// parse there: values read in full are kept, a value cut short is dropped, a
// child cut short keeps what it read in full, and the rest keeps its default. Nodes below depth 16 are not
// followed. Each record consumes at least 6 bytes, so a load takes time and
// memory in proportion to N. Later records under a key replace earlier ones;
// keys absent from the file keep what the archive held.
bool Archive::Read(File& file)
{
    return ReadNode(file, 0);
}

bool Archive::ReadNode(File& file, int depth)
{
    INT32 count = 0;
    if (!TakeInt(file, version) || !TakeInt(file, count))
        return false;
    for (INT32 i = 0; i < count; ++i) {
        WString key;
        INT32 length = 0;
        if (!file.ReadString(key) || !TakeInt(file, length))
            return false;
        const DWORD size = static_cast<DWORD>(length);
        if (size > file.Remaining())
            return false;
        Bytes bytes(size);
        if (size > 0)
            file.Read(bytes.data(), size);
        values[key] = std::move(bytes);
    }
    if (!TakeInt(file, count))
        return false;
    for (INT32 i = 0; i < count; ++i) {
        WString key;
        if (!file.ReadString(key) || depth >= kMaxDepth)
            return false;
        Archive node;
        const bool complete = node.ReadNode(file, depth + 1);
        Archive& target = Child(key);
        target.version = node.version;
        target.values = std::move(node.values);
        target.children = std::move(node.children);
        if (!complete)
            return false;
    }
    return true;
}

bool Archive::SaveFile(const WString& path) const
{
    Bytes payload;
    {
        File memory;
        memory.Attach(payload);
        Write(memory);
    }
    if (payload.size() > kMaxPayload)
        return false;

    // Written beside the settings file and renamed over it, so that a failed
    // or interrupted save leaves the previous file whole.
    const WString temporary = path + TEXT(".tmp");
    bool written = false;
    {
        File file;
        if (!file.Open(temporary, File::WriteMode))
            return false;
        written = file.WriteInt(version) &&
                  file.WriteBlock(payload.data(), static_cast<DWORD>(payload.size()));
    }
    if (written && MoveFileExW(temporary.c_str(), path.c_str(),
                               MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    DeleteFileW(temporary.c_str());
    return false;
}

bool Archive::LoadFile(const WString& path)
{
    File file;
    if (!file.Open(path, File::ReadMode))
        return false;
    const INT32 header = file.ReadInt();
    const DWORD length = static_cast<DWORD>(file.ReadInt());
    const DWORD claimed = static_cast<DWORD>(file.ReadInt());
    if (length == 0) {
        version = header;
        return true;
    }
    const uint64_t stored = std::min<uint64_t>(claimed, file.Remaining());
    if (!PlausiblePayload(length, stored))
        return false;

    Bytes payload(length);
    file.Seek(4, FILE_BEGIN);
    if (!file.ReadBlock(payload.data(), length, true))
        return false;
    file.Attach(payload);
    version = header;
    return Read(file);
}

INT32 Archive::PeekVersion(const WString& path)
{
    File file;
    if (!file.Open(path, File::ReadMode))
        return 0;
    return file.ReadInt();
}

} // namespace vela
