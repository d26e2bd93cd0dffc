#include "tests/support/gtest.h"

#include "vela/owned.h"

#include <vector>

namespace {

// Every close, in order. 0 is no handle; a negative one fails to close.
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

TEST(Owned, ClosesEachHandleOnceByItsLastOwner)
{
    {
        vela::Owned<Counted> first(1), kept(2), failing(-1);
        vela::Owned<Counted> second(std::move(first));
        second.reset(3);
        first = std::move(second);
        EXPECT_EQ(kept.release(), 2);
        EXPECT_FALSE(failing.Close());
        EXPECT_FALSE(failing.Close());  // nothing held any more
    }
    EXPECT_EQ(closed, (std::vector<int>{1, -1, 3}));
}

} // namespace
