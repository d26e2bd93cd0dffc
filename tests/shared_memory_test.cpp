#include "tests/support/gtest.h"

#include "app/instance_block.h"
#include "app/shared_memory.h"
#include "tests/support/temp_dir.h"

#include <cstdint>
#include <string>

namespace {

// A name no other test or process uses.
WString UniqueName()
{
    static unsigned counter = 0;
    return Wide("Tagscribe test block " + std::to_string(GetCurrentProcessId()) + "-" +
                std::to_string(counter++));
}

HWND SignExtended(uint32_t low)
{
    return reinterpret_cast<HWND>(static_cast<intptr_t>(static_cast<int32_t>(low)));
}

// A block that could not be opened refuses every access.
TEST(SharedMemory, OpenOfMissingNameFails)
{
    SharedMemory block(UniqueName());
    EXPECT_FALSE(block.Open());
    char byte = 0;
    EXPECT_FALSE(block.Read(&byte, 1));
    EXPECT_FALSE(block.Write(&byte, 1));
    EXPECT_EQ(ReadWindowHandle(block), nullptr);
}

TEST(SharedMemory, WhatOneWritesAnotherReads)
{
    WString name = UniqueName();
    SharedMemory creator(name);
    ASSERT_TRUE(creator.Create(4));
    ASSERT_TRUE(creator.Write("abcd", 4));

    SharedMemory opener(name);
    ASSERT_TRUE(opener.Open());
    char bytes[4] = {};
    ASSERT_TRUE(opener.Read(bytes, 4));
    EXPECT_EQ(std::string(bytes, 4), "abcd");

    ASSERT_TRUE(opener.Write("wxyz", 4));
    ASSERT_TRUE(creator.Read(bytes, 4));
    EXPECT_EQ(std::string(bytes, 4), "wxyz");

    // Creating a block that exists already opens it.
    SharedMemory second(name);
    ASSERT_TRUE(second.Create(4));
    ASSERT_TRUE(second.Read(bytes, 4));
    EXPECT_EQ(std::string(bytes, 4), "wxyz");
}

TEST(SharedMemory, CountBeyondTheBlockIsRefused)
{
    SharedMemory block(UniqueName());
    ASSERT_TRUE(block.Create(4));
    std::string big(1 << 20, 'x');
    EXPECT_FALSE(block.Write(big.data(), big.size()));
    EXPECT_FALSE(block.Read(&big[0], big.size()));
}

TEST(SharedMemory, BlockLivesWhileAnyHolderHasIt)
{
    WString name = UniqueName();
    {
        SharedMemory creator(name);
        ASSERT_TRUE(creator.Create(4));
    }
    EXPECT_FALSE(SharedMemory(name).Open());

    SharedMemory opener(name);
    {
        SharedMemory creator(name);
        ASSERT_TRUE(creator.Create(4));
        ASSERT_TRUE(opener.Open());
    }
    EXPECT_TRUE(SharedMemory(name).Open());
}

TEST(InstanceBlock, WindowHandleRoundTripsThroughFourBytes)
{
    const uint32_t lows[] = {0x00010020u, 0x7fffffffu, 0x80001234u, 0xfffffffeu};
    for (uint32_t low : lows) {
        SharedMemory block(UniqueName());
        ASSERT_TRUE(block.Create(InstanceBlockSize));
        ASSERT_TRUE(WriteWindowHandle(block, SignExtended(low)));

        unsigned char bytes[4] = {};
        ASSERT_TRUE(block.Read(bytes, 4));
        uint32_t stored = bytes[0] | bytes[1] << 8 | bytes[2] << 16 | uint32_t(bytes[3]) << 24;
        EXPECT_EQ(stored, low) << "stored little-endian";
        EXPECT_EQ(ReadWindowHandle(block), SignExtended(low)) << std::hex << low;
    }
}

} // namespace
