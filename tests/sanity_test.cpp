#include "tests/support/gtest.h"
#include "vela/text.h"

TEST(Platform, WideCharIsTwoBytes)
{
    EXPECT_EQ(sizeof(WCHAR), 2u);
    WString s = TEXT("ab");
    EXPECT_EQ(s.size(), 2u);
}

#include "tests/support/temp_dir.h"

TEST(Platform, TempDirHoldsFilesAndIsRemoved)
{
    WString path;
    {
        TempDir dir;
        path = dir.Path();
        ASSERT_FALSE(path.empty());
        ASSERT_TRUE(WriteBytes(dir / TEXT("a.bin"), std::string("x\0y", 3)));
        EXPECT_EQ(ReadBytes(dir / TEXT("a.bin")), std::string("x\0y", 3));
        EXPECT_EQ(Utf8(Wide("日本")), "日本");
    }
    EXPECT_EQ(GetFileAttributesW(path.c_str()), INVALID_FILE_ATTRIBUTES);
}
