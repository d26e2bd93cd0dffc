#include "tests/support/gtest.h"

#include "vela/owned.h"

#include <vector>

namespace {

// Handles are numbers; 0 is none, and every close is recorded.
std::vector<int> closed;

struct Counted {
    using Handle = int;
    static int None() { return 0; }
    static bool Close(int handle)
    {
        closed.push_back(handle);
        return handle > 0;
    }
};
using Owned = vela::Owned<Counted>;

// Each handle is closed once, by whoever holds it last; a released one never.
TEST(Owned, ClosesEachHandleOnceByItsLastOwner)
{
    closed.clear();
    {
        Owned first(1);
        Owned second(std::move(first));
        EXPECT_FALSE(first);
        second.reset(2);
        EXPECT_EQ(closed, std::vector<int>{1});
        Owned third(3);
        third = std::move(second);
        EXPECT_EQ(third.get(), 2);
        Owned kept(4);
        EXPECT_EQ(kept.release(), 4);
        EXPECT_FALSE(kept);
    }
    EXPECT_EQ(closed, (std::vector<int>{1, 3, 2}));
}

TEST(Owned, CloseTellsWhetherTheSystemClosedIt)
{
    closed.clear();
    Owned good(5), bad(-1), none;
    EXPECT_TRUE(good.Close());
    EXPECT_FALSE(bad.Close());
    EXPECT_FALSE(none.Close());
    EXPECT_FALSE(good);
    EXPECT_EQ(closed, (std::vector<int>{5, -1}));
}

} // namespace
