#include "vela/storage/file.h"

#include "vela/storage/disk.h"
#include "vela/storage/little_endian.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <limits>
#include <memory>
#include <stdexcept>

namespace vela {
namespace {

struct LocalFreeDeleter {
    void operator()(WCHAR* text) const { LocalFree(text); }
};

// The system's message exactly as it comes, line break included.
WString MessageOf(DWORD error)
{
    WCHAR* raw = nullptr;
    FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                       FORMAT_MESSAGE_IGNORE_INSERTS,
                   nullptr, error, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                   reinterpret_cast<LPWSTR>(&raw), 0, nullptr);
    std::unique_ptr<WCHAR, LocalFreeDeleter> owned(raw);
    return owned ? WString(owned.get()) : WString();
}

} // namespace

WString SystemText(DWORD error)
{
    WString text = MessageOf(error);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' '))
        text.pop_back();
    for (WCHAR& c : text) {
        if (c == '\r' || c == '\n')
            c = ' ';
    }
    return text.empty() ? TEXT("error ") + DecimalText(error) : text;
}

void ReportLastError()
{
    const DWORD code = GetLastError();
    const WString text = MessageOf(code);
    if (!text.empty())
        OutputDebugStringW(text.c_str());
    SetLastError(code);
}

File::File() = default;

File::~File()
{
    Close();
}

bool File::Open(const WString& path, int mode)
{
    Close();
    const bool writing = mode == WriteMode;
    auto disk = CurrentDisk().OpenFile(path, writing);
    if (!disk) {
        ReportLastError();
        return false;
    }
    end_ = writing ? 0 : disk->Size();
    kind_ = Kind::Disk;
    disk_ = std::move(disk);
    return true;
}

bool File::Attach(Bytes& bytes)
{
    Close();
    kind_ = Kind::Vector;
    vector_ = &bytes;
    position_ = 0;
    end_ = bytes.size();
    return true;
}

void File::Close()
{
    disk_.reset();
    vector_ = nullptr;
    kind_ = Kind::Closed;
    position_ = 0;
    end_ = 0;
}

bool File::Seek(LONG distance, DWORD origin)
{
    if (kind_ == Kind::Closed)
        return false;
    uint64_t base = origin == FILE_BEGIN ? 0 : origin == FILE_END ? end_ : position_;
    const int64_t offset = distance;
    // A target before the start is treated like one beyond the end, on both
    // targets, so the position never wraps round.
    uint64_t target = offset < 0 && uint64_t(-offset) > base ? end_ : base + offset;
    if (kind_ == Kind::Vector) {
        position_ = std::min(target, end_);
        return true;
    }
    // A disk file may be positioned past its end: writing there extends it.
    disk_->MoveTo(target);
    position_ = target;
    return true;
}

DWORD File::Read(void* destination, DWORD count)
{
    count = static_cast<DWORD>(std::min<uint64_t>(count, Remaining()));
    if (count == 0)
        return 0;
    switch (kind_) {
    case Kind::Disk:
        return ReadDisk(destination, count);
    case Kind::Vector:
        return ReadVector(destination, count);
    default:
        return 0;
    }
}

DWORD File::Write(const void* source, DWORD count)
{
    if (count == 0)
        return 0;
    switch (kind_) {
    case Kind::Disk:
        return WriteDisk(source, count);
    case Kind::Vector:
        return WriteVector(source, count);
    default:
        return 0;
    }
}

DWORD File::ReadDisk(void* destination, DWORD count)
{
    DWORD done = 0;
    if (!disk_->Read(destination, count, done))
        return 0;
    position_ += done;
    return done;
}

DWORD File::WriteDisk(const void* source, DWORD count)
{
    DWORD done = 0;
    if (!disk_->Write(source, count, done)) {
        ReportLastError();
        return 0;
    }
    position_ += done;
    end_ = std::max(end_, position_);
    return done;
}

DWORD File::ReadVector(void* destination, DWORD count)
{
    // Only a vector shrunk behind this File's back can fail this.
    if (position_ + count > vector_->size())
        throw std::out_of_range("invalid vector<T> subscript");
    std::memcpy(destination, vector_->data() + position_, count);
    position_ += count;
    return count;
}

DWORD File::WriteVector(const void* source, DWORD count)
{
    const uint64_t stop = position_ + count;
    if (stop > vector_->max_size())
        return 0;
    if (stop > vector_->size())
        vector_->resize(static_cast<size_t>(stop));
    std::memcpy(vector_->data() + position_, source, count);
    position_ = stop;
    end_ = std::max(end_, stop);
    return count;
}

INT32 File::ReadInt()
{
    BYTE bytes[LittleEndian32Size] = {};
    Read(bytes, LittleEndian32Size);
    return static_cast<INT32>(GetLittleEndian32(bytes));
}

bool File::WriteInt(INT32 value)
{
    BYTE bytes[LittleEndian32Size];
    PutLittleEndian32(static_cast<uint32_t>(value), bytes);
    return Write(bytes, LittleEndian32Size) == LittleEndian32Size;
}

bool File::ReadString(WString& text)
{
    text.clear();
    for (;;) {
        BYTE unit[2] = {};
        if (Read(unit, 2) == 0)
            return false;
        WCHAR c = static_cast<WCHAR>(unit[0] | unit[1] << 8);
        if (c == 0)
            return true;
        text.push_back(c);
    }
}

bool File::WriteString(const WString& text)
{
    Bytes bytes((text.size() + 1) * 2, 0);
    for (size_t i = 0; i < text.size(); ++i) {
        bytes[2 * i] = static_cast<BYTE>(text[i] & 0xFF);
        bytes[2 * i + 1] = static_cast<BYTE>(text[i] >> 8);
    }
    if (bytes.size() > std::numeric_limits<DWORD>::max())
        return false;
    const DWORD count = static_cast<DWORD>(bytes.size());
    return Write(bytes.data(), count) == count;
}

bool File::WriteBlock(const void* source, DWORD length)
{
    if (!WriteInt(static_cast<INT32>(length)))
        return false;
    if (length == 0)
        return true;
    // compressBound, not a multiple of the input: short inputs grow under zlib.
    const uLong bound = compressBound(length);
    if (bound < length || bound > std::numeric_limits<DWORD>::max()) {
        WriteInt(0);  // keeps the layout readable; the block inflates to nothing
        return false;
    }
    Bytes scratch(bound);
    uLongf compressed = bound;
    const bool ok = compress2(scratch.data(), &compressed, static_cast<const Bytef*>(source),
                              length, Z_DEFAULT_COMPRESSION) == Z_OK;
    if (!ok)
        compressed = 0;
    const DWORD count = static_cast<DWORD>(compressed);
    if (!WriteInt(static_cast<INT32>(count)))
        return false;
    return ok && Write(scratch.data(), count) == count;
}

bool File::ReadBlock(void* destination, DWORD capacity, bool strict)
{
    const DWORD length = static_cast<DWORD>(ReadInt());
    if (length == 0)
        return true;
    const DWORD stored = static_cast<DWORD>(ReadInt());
    // Only what the data really holds is taken, whatever C claims.
    Bytes compressed(static_cast<size_t>(std::min<uint64_t>(stored, Remaining())));
    if (!compressed.empty())
        Read(compressed.data(), static_cast<DWORD>(compressed.size()));
    if (strict && length != capacity)
        return false;
    uLongf produced = capacity;
    const int status = uncompress(static_cast<Bytef*>(destination), &produced,
                                  compressed.data(), static_cast<uLong>(compressed.size()));
    return status == Z_OK && produced == length && compressed.size() == stored;
}

} // namespace vela
