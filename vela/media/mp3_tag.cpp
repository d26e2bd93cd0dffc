#include "vela/media/mp3_tag.h"

#include "vela/media/legacy_text.h"

#include <id3tag.h>

#include <cstdlib>
#include <memory>

#ifdef __WINE__
#include "vela/storage/unix_names.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#else
#include <fcntl.h>
#include <io.h>
#endif

namespace vela {

namespace {

// The library's file on a descriptor opened here; the descriptor is closed
// when the library cannot take it.
id3_file* TagFileOn(int fd, id3_file_mode mode)
{
    id3_file* file = id3_file_fdopen(fd, mode);
    if (file == nullptr) {
#ifdef __WINE__
        close(fd);
#else
        _close(fd);
#endif
    }
    return file;
}

#ifdef __WINE__
// A descriptor on a regular file, or -1. A folder is no track, and a pipe
// would stall the open, so it is opened without waiting and checked before
// use (for a regular file the flag changes nothing). `missing` tells that
// nothing has the name as spelt.
int OpenTrack(const std::string& unixPath, id3_file_mode mode, bool& missing)
{
    const int access = mode == ID3_FILE_MODE_READWRITE ? O_RDWR : O_RDONLY;
    const int fd = open(unixPath.c_str(), access | O_NONBLOCK | O_CLOEXEC);
    missing = fd < 0 && errno == ENOENT;
    struct stat info;
    if (fd >= 0 && (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode))) {
        close(fd);
        return -1;
    }
    return fd;
}

// A name that cannot be composed goes through Wine's own conversion. The C
// runtime under Unix opens folders too; on Windows _wopen refuses them.
id3_file* OpenThroughWine(const WString& path, id3_file_mode mode)
{
    DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return nullptr;
    char* unixPath = wine_get_unix_file_name(path.c_str());
    if (unixPath == nullptr)
        return nullptr;
    id3_file* file = id3_file_open(unixPath, mode);
    HeapFree(GetProcessHeap(), 0, unixPath);
    return file;
}
#endif

// Hands the wide path to libid3tag without a trip through the ANSI code page,
// which cannot name every file. Under Winelib the library is a Unix one and
// takes a descriptor opened on the file's Unix name; on Windows one that the
// C runtime opened from the wide name.
id3_file* OpenTagFile(const WString& path, int mode)
{
    auto fileMode = static_cast<id3_file_mode>(mode);
#ifdef __WINE__
    // The name as spelt is tried first, which spares a lookup; the folder's
    // Unix name is known after the first file.
    const std::string exact = ExactUnixPath(path);
    bool missing = true;
    int fd = exact.empty() ? -1 : OpenTrack(exact, fileMode, missing);
    if (fd < 0 && missing) {
        const UnixName name = FindUnixName(path);
        if (name.state == UnixName::Found)
            fd = OpenTrack(name.path, fileMode, missing);
        else if (name.state == UnixName::Unknown)
            return OpenThroughWine(path, fileMode);
    }
    return fd < 0 ? nullptr : TagFileOn(fd, fileMode);
#else
    int access = mode == ID3_FILE_MODE_READWRITE ? _O_RDWR : _O_RDONLY;
    int fd = _wopen(path.c_str(), access | _O_BINARY);
    if (fd < 0)
        return nullptr;
    return TagFileOn(fd, fileMode);
#endif
}

struct FreeDeleter {
    void operator()(void* p) const { std::free(p); }
};

} // namespace

Mp3Tag::Mp3Tag() : file_(nullptr), tag_(nullptr) {}

Mp3Tag::~Mp3Tag()
{
    Close();
}

bool Mp3Tag::Open(const WString& path, int mode)
{
    Close();
    // A NUL inside would silently name a different, shorter path.
    if (path.empty() || path.find(WCHAR(0)) != WString::npos)
        return false;
    file_ = OpenTagFile(path, mode);
    if (file_ == nullptr)
        return false;
    tag_ = id3_file_tag(file_);
    if (tag_ != nullptr)
        return true;
    Close();
    return false;
}

WString Mp3Tag::Lyrics() const
{
    if (file_ == nullptr)
        return WString();
    id3_frame* frame = id3_tag_findframe(tag_, "USLT", 0);
    if (frame == nullptr)
        return WString();
    const id3_field* field = id3_frame_field(frame, 3);
    if (field == nullptr)
        return WString();
    const id3_ucs4_t* text = id3_field_getfullstring(field);
    if (text == nullptr)
        return WString();
    // Text flagged ISO-8859-1 is often UTF-8 or ANSI in fact.
    const id3_field* encoding = id3_frame_field(frame, 0);
    WString lyrics;
    if (encoding != nullptr &&
        id3_field_gettextencoding(encoding) == ID3_FIELD_TEXTENCODING_ISO_8859_1 &&
        ReadLegacyLyrics(text, lyrics))
        return lyrics;
    std::unique_ptr<id3_utf16_t, FreeDeleter> copy(id3_ucs4_utf16duplicate(text));
    if (!copy)
        return WString();  // out of memory: no lyrics rather than a failure
    const id3_utf16_t* begin = copy.get();
    const id3_utf16_t* end = begin;
    while (*end != 0)
        ++end;
    return WString(begin, end);
}

void Mp3Tag::Close()
{
    if (file_ == nullptr)
        return;
    id3_file_close(file_);
    file_ = nullptr;
}

} // namespace vela
