// Times the disk work of an export on a made-up library, through each disk:
// listing, reading the tags, opening the inputs, creating the outputs, and
// writing them again. Usage: disk_bench FILES [FOLDERS] [win32|wine|both]
// under the project's Wine environment (bench/disk-bench.sh builds and runs
// it). Not a test: it prints microseconds per file.
#include "tests/support/mp3_writer.h"
#include "vela/storage/disk.h"
#include "vela/media/directory_list.h"
#include "vela/media/mp3_tag.h"
#include "vela/storage/file.h"
#include "vela/storage/output_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <sys/stat.h>

namespace {

WString Ascii(const std::string& text)
{
    return WString(text.begin(), text.end());
}

double Seconds()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void Time(const char* what, int files, const std::function<void()>& work)
{
    const double start = Seconds();
    work();
    const double spent = Seconds() - start;
    std::printf("  %-28s %9.1f us/file %8.2f s\n", what, spent / files * 1e6, spent);
}

// The library is laid out with Unix calls so that making it costs nothing
// that is measured.
void MakeLibrary(const std::string& root, int files, int folders)
{
    const std::string track = mp3::FileWithLyrics("la la\r\nla", 3, mp3::Encoding::Latin1);
    mkdir(root.c_str(), 0777);
    for (int i = 0; i < files; ++i) {
        const std::string folder = root + "/album" + std::to_string(i % folders);
        mkdir(folder.c_str(), 0777);
        const std::string path = folder + "/Track " + std::to_string(i) + ".mp3";
        const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
        if (fd < 0 || write(fd, track.data(), track.size()) != ssize_t(track.size()))
            std::abort();
        close(fd);
    }
}

void Run(vela::Disk& disk, const char* name, const std::string& unixRoot, const WString& root,
         int files, int folders)
{
    std::printf("%s disk, %d files in %d folder(s)\n", name, files, folders);
    std::system(("rm -rf '" + unixRoot + "'").c_str());
    MakeLibrary(unixRoot, files, folders);
    vela::UseDisk(disk);

    vela::DirectoryList list;
    Time("list (recursive search)", files, [&] { list.Search(root, TEXT("*.*"), true); });
    if (list.files.size() != size_t(files))
        std::printf("  listed %zu files!\n", list.files.size());
    Time("read tag (Mp3Tag::Open)", files, [&] {
        vela::Mp3Tag tag;
        for (const auto& entry : list.files)
            if (!tag.Open(entry.path, 0) || tag.Lyrics().empty())
                std::abort();
    });
    Time("open input (File read)", files, [&] {
        vela::File file;
        char head[10];
        for (const auto& entry : list.files)
            if (!file.Open(entry.path, vela::File::ReadMode) || file.Read(head, 10) != 10)
                std::abort();
    });
    Time("create output (File write)", files, [&] {
        vela::File file;
        for (const auto& entry : list.files)
            if (!file.Open(entry.path.substr(0, entry.path.size() - 3) + TEXT("txt"), 1) ||
                file.Write("la la\r\nla", 9) != 9)
                std::abort();
    });
    Time("rewrite output (other case)", files, [&] {
        vela::File file;
        for (const auto& entry : list.files)
            if (!file.Open(entry.path.substr(0, entry.path.size() - 3) + TEXT("TXT"), 1) ||
                file.Write("la la\r\nla", 9) != 9)
                std::abort();
    });
    // The export's way: the same files once more, as outputs, then new ones.
    Time("rewrite output (WriteOutput)", files, [&] {
        for (const auto& entry : list.files)
            if (vela::WriteOutput(entry.path.substr(0, entry.path.size() - 3) + TEXT("Txt"),
                                  entry.path, vela::Existing::Replace,
                                  "la la\r\nla\r\n") != vela::OutputResult::Written)
                std::abort();
    });
    Time("unchanged output (WriteOutput)", files, [&] {
        for (const auto& entry : list.files)
            if (vela::WriteOutput(entry.path.substr(0, entry.path.size() - 3) + TEXT("txt"),
                                  entry.path, vela::Existing::Replace,
                                  "la la\r\nla\r\n") != vela::OutputResult::Unchanged)
                std::abort();
    });
    Time("create output (WriteOutput)", files, [&] {
        for (const auto& entry : list.files)
            if (vela::WriteOutput(entry.path.substr(0, entry.path.size() - 3) + TEXT("lrc"),
                                  entry.path, vela::Existing::Replace,
                                  "la la\r\nla") != vela::OutputResult::Written)
                std::abort();
    });
}

} // namespace

int main(int argc, char** argv)
{
    const int files = argc > 1 ? std::atoi(argv[1]) : 1000;
    const int folders = argc > 2 ? std::atoi(argv[2]) : 1;
    const std::string which = argc > 3 ? argv[3] : "both";
    const std::string unixRoot = "/tmp/tagscribe-disk-bench";
    const WString root = Ascii("Z:\\tmp\\tagscribe-disk-bench");
    if (which != "wine")
        Run(vela::Win32Disk(), "Win32", unixRoot, root, files, folders);
    if (which != "win32")
        Run(vela::WineDisk(), "Wine", unixRoot, root, files, folders);
    std::system(("rm -rf '" + unixRoot + "'").c_str());
    return 0;
}
