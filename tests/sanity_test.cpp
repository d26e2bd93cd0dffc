#include "tests/support/gtest.h"
#include "vela/text.h"

TEST(Platform, WideCharIsTwoBytes)
{
    EXPECT_EQ(sizeof(WCHAR), 2u);
    WString s = TEXT("ab");
    EXPECT_EQ(s.size(), 2u);
}
