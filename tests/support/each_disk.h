#pragma once
// Runs a test once on each way the program reaches the disk: through Win32
// alone and, under Winelib, through the Unix calls as well. The fixture
// switches File and DirectoryList over for the test's lifetime.
#include "tests/support/gtest.h"

#include "vela/storage/disk.h"

#include <string>
#include <vector>

struct DiskChoice {
    const char* name;
    vela::Disk* disk;
};

// Names the disk in gtest's messages.
inline void PrintTo(const DiskChoice& choice, std::ostream* out)
{
    *out << choice.name;
}

std::vector<DiskChoice> AllDisks();
std::string DiskName(const ::testing::TestParamInfo<DiskChoice>& info);

class EachDisk : public ::testing::TestWithParam<DiskChoice> {
protected:
    EachDisk() : previous_(vela::CurrentDisk()) { vela::UseDisk(*GetParam().disk); }
    ~EachDisk() override { vela::UseDisk(previous_); }

private:
    vela::Disk& previous_;
};

#define INSTANTIATE_ON_EACH_DISK(Suite) \
    INSTANTIATE_TEST_SUITE_P(Disks, Suite, ::testing::ValuesIn(AllDisks()), DiskName)
