#include "tests/support/gtest.h"

#include <algorithm>
#include <string>
#include <vector>

#include "tests/support/temp_dir.h"
#include "vela/storage/read_ahead.h"

namespace {

// A disk whose tracks are counted while they live: each track's size is its
// place in the list, and names holding "missing" fail to open.
class CountingDisk : public vela::Disk {
public:
    class CountedTrack : public vela::Track {
    public:
        CountedTrack(CountingDisk& disk, uint64_t index)
            : Track(index, {0, index}), disk_(disk)
        {
            disk_.held = disk_.held + 1;
            disk_.mostHeld = std::max(disk_.mostHeld, disk_.held);
        }
        ~CountedTrack() override { --disk_.held; }
        int64_t ReadAt(uint64_t, void*, size_t) override { return 0; }
        void WillRead() override { ++disk_.hinted; }

    private:
        CountingDisk& disk_;
    };

    std::unique_ptr<vela::DiskFile> OpenFile(const WString&, bool) override { return nullptr; }
    std::unique_ptr<vela::Track> OpenTrack(const WString& path) override
    {
        opened.push_back(path);
        if (path.find(TEXT("missing")) != WString::npos) {
            SetLastError(ERROR_FILE_NOT_FOUND);
            return nullptr;
        }
        return std::make_unique<CountedTrack>(*this, std::stoul(Utf8(path).substr(1)));
    }
    std::unique_ptr<vela::Output> FindOutput(const WString&) override { return nullptr; }
    std::unique_ptr<vela::FoundEntries> Find(const WString&, const WString&,
                                             vela::Details) override
    {
        return nullptr;
    }

    size_t held = 0, mostHeld = 0, hinted = 0;
    std::vector<WString> opened;
};

} // namespace

// Every wanted track opened once, in order, hinted, and handed over at its
// turn with its own error; never more than the window held open, whatever
// the list's length, the unwanted paths among it and the failures.
TEST(ReadAhead, OpensEachWantedTrackOnceWithinTheWindow)
{
    WStringList paths;
    std::vector<WString> wanted;
    for (int i = 0; i < 500; ++i) {
        const char* kind = i % 7 == 0 ? "missing" : i % 5 == 0 ? ".txt" : "";
        paths.push_back(Wide("t" + std::to_string(i) + kind));
        if (i % 5 != 0 || i % 7 == 0)
            wanted.push_back(paths.back());
    }
    CountingDisk disk;
    vela::ReadAhead ahead(disk, paths, [](const WString& path) {
        return path.find(TEXT(".txt")) == WString::npos;
    });
    std::unique_ptr<vela::Track> current;  // held as the tag reader holds it
    for (size_t i = 0; i < paths.size(); ++i) {
        if (paths[i].find(TEXT(".txt")) != WString::npos)
            continue;
        SetLastError(0);
        current.reset();
        current = ahead.Take(i);
        if (paths[i].find(TEXT("missing")) != WString::npos) {
            EXPECT_FALSE(current) << i;
            EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND)) << i;
        } else {
            ASSERT_TRUE(current) << i;
            EXPECT_EQ(current->Size(), i);
        }
        EXPECT_LE(ahead.Held(), vela::ReadAhead::kTracksAhead) << i;
    }
    current.reset();
    EXPECT_EQ(disk.opened, wanted);
    EXPECT_LE(disk.mostHeld, vela::ReadAhead::kTracksAhead + 1);
    EXPECT_EQ(disk.hinted, disk.opened.size() - (500 / 7 + 1));  // the missing ones
    EXPECT_EQ(disk.held, 0u);
}
