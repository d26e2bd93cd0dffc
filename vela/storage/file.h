#pragma once
// One byte stream over two targets: a disk file opened by path, or a byte
// vector attached by reference. On top of raw reads and writes it carries the
// settings file's encodings, all little-endian without alignment:
//   integer           4 bytes, 32-bit
//   string            UTF-16LE code units, then one code unit 0
//   compressed block  length L (32-bit); when L is not 0, compressed length C
//                     (32-bit) and C bytes of a zlib stream inflating to L bytes
//
// Failures are quiet and show only in results. The one report is the system's
// text for a failed Open or a failed disk write, sent to the debugger output.
#include "vela/storage/disk.h"
#include "vela/text.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace vela {

using Bytes = std::vector<BYTE>;

class File {
public:
    enum Mode { ReadMode = 0, WriteMode = 1 };

    File();
    virtual ~File();
    File(const File&) = delete;
    File& operator=(const File&) = delete;

    // Mode 0 reads an existing file, shared for reading only; mode 1 creates
    // or truncates it, shared for writing only. Closes what was held first.
    bool Open(const WString& path, int mode);
    // The vector is not owned: it must outlive the attachment. Always true.
    bool Attach(Bytes& bytes);
    void Close();

    // origin: FILE_BEGIN, FILE_CURRENT or FILE_END. False only when closed.
    bool Seek(LONG distance, DWORD origin);
    // Reads stop at the end of the data; both return the bytes done.
    DWORD Read(void* destination, DWORD count);
    DWORD Write(const void* source, DWORD count);

    // Missing bytes at the end of the data read as 0.
    INT32 ReadInt();
    bool WriteInt(INT32 value);
    // True when the terminator was read; a string cut short by the end of the
    // data keeps the code units that were there.
    bool ReadString(WString& text);
    bool WriteString(const WString& text);

    // Inflates one block into destination. With strict set, a block whose
    // length is not exactly capacity is skipped whole. True when the
    // destination now holds the block's complete, intact bytes (an empty
    // block counts as intact and leaves the destination alone).
    bool ReadBlock(void* destination, DWORD capacity, bool strict);
    // True when the whole block was compressed and written.
    bool WriteBlock(const void* source, DWORD length);

    bool IsOpen() const { return kind_ != Kind::Closed; }
    uint64_t Position() const { return position_; }
    // The read limit: the size at opening (or as extended by writes).
    uint64_t End() const { return end_; }
    uint64_t Remaining() const { return position_ < end_ ? end_ - position_ : 0; }

private:
    enum class Kind { Closed, Disk, Vector };

    DWORD ReadDisk(void* destination, DWORD count);
    DWORD WriteDisk(const void* source, DWORD count);
    DWORD ReadVector(void* destination, DWORD count);
    DWORD WriteVector(const void* source, DWORD count);

    Kind kind_ = Kind::Closed;
    std::unique_ptr<DiskFile> disk_;
    Bytes* vector_ = nullptr;
    uint64_t position_ = 0;
    uint64_t end_ = 0;
};

// The system's text for an error code, on one line.
WString SystemText(DWORD error);
// The system's text for the last error, with nothing added, to the debugger
// output: the window's one diagnostic. The last error stays as it was.
void ReportLastError();

} // namespace vela
