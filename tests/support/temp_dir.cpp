#include "tests/support/temp_dir.h"

#include <algorithm>
#include <atomic>

TempDir::TempDir()
{
    static std::atomic<unsigned> counter{0};
    WCHAR base[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, base);
    for (;;) {
        WString candidate = WString(base) + TEXT("tagscribe-test-") +
                            Wide(std::to_string(GetCurrentProcessId())) + TEXT("-") +
                            Wide(std::to_string(counter++));
        if (CreateDirectoryW(candidate.c_str(), nullptr)) {
            path_ = candidate;
            return;
        }
        if (GetLastError() != ERROR_ALREADY_EXISTS)
            return;
    }
}

TempDir::~TempDir()
{
    if (!path_.empty())
        RemoveTree(path_);
}

WString TempDir::operator/(const WString& name) const
{
    return path_ + TEXT("\\") + name;
}

bool WriteBytes(const WString& path, const std::string& bytes)
{
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    BOOL ok = bytes.empty() ||
              WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(h);
    return ok && written == bytes.size();
}

std::string ReadBytes(const WString& path)
{
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                           nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return std::string();
    std::string bytes;
    char chunk[65536];
    DWORD got = 0;
    while (ReadFile(h, chunk, sizeof chunk, &got, nullptr) && got > 0)
        bytes.append(chunk, got);
    CloseHandle(h);
    return bytes;
}

bool FileExists(const WString& path)
{
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool MakeFolder(const WString& path)
{
    return CreateDirectoryW(path.c_str(), nullptr) != FALSE;
}

void RemoveTree(const WString& path)
{
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((path + TEXT("\\*")).c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            WString name = data.cFileName;
            if (name == TEXT(".") || name == TEXT(".."))
                continue;
            WString child = path + TEXT("\\") + name;
            SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(child);
            else
                DeleteFileW(child.c_str());
        } while (FindNextFileW(find, &data));
        FindClose(find);
    }
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    RemoveDirectoryW(path.c_str());
}

WString MakeFolderOfLength(const WString& parent, size_t length)
{
    WString base = parent;
    if (length > base.size() + 1 + 255) {
        base += TEXT("\\") + WString(std::min<size_t>(200, length - base.size() - 2 - 200), 'y');
        if (!MakeFolder(base) && GetLastError() != ERROR_ALREADY_EXISTS)
            return WString();
    }
    if (length <= base.size() + 1 || length > base.size() + 1 + 255)
        return WString();
    const WString folder = base + TEXT("\\") + WString(length - base.size() - 1, 'x');
    return MakeFolder(folder) ? folder : WString();
}

WStringList NamesIn(const WString& folder)
{
    WStringList names;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((folder + TEXT("\\*")).c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return names;
    do {
        const WString name = data.cFileName;
        if (name != TEXT(".") && name != TEXT(".."))
            names.push_back(name);
    } while (FindNextFileW(find, &data));
    FindClose(find);
    std::sort(names.begin(), names.end());
    return names;
}

WString Wide(const std::string& utf8)
{
    if (utf8.empty())
        return WString();
    int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    WString wide(static_cast<size_t>(n), 0);
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &wide[0], n);
    return wide;
}

std::string Utf8(const WString& wide)
{
    if (wide.empty())
        return std::string();
    int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                                nullptr, nullptr);
    std::string utf8(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), &utf8[0], n,
                        nullptr, nullptr);
    return utf8;
}

WString AsciiUpper(WString text)
{
    for (WCHAR& c : text) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<WCHAR>(c - 'a' + 'A');
    }
    return text;
}
