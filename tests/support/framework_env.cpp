#include "tests/support/gtest.h"

#include "vela/ui/module.h"

#include <windows.h>
#include <commctrl.h>

namespace {

// Window tests load their dialog templates from the test runner itself, as
// the program does from its own module.
class FrameworkEnvironment : public testing::Environment {
public:
    void SetUp() override
    {
        vela::ModuleInstance = GetModuleHandleW(nullptr);
        INITCOMMONCONTROLSEX init = {sizeof init, ICC_WIN95_CLASSES | ICC_COOL_CLASSES | ICC_BAR_CLASSES};
        InitCommonControlsEx(&init);
    }
};

testing::Environment* const environment =
    testing::AddGlobalTestEnvironment(new FrameworkEnvironment);

} // namespace
