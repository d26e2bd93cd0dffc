#pragma once
// Tests whose results depend on the ANSI code page run in the runner's own
// process and once more in a child runner under each other code page that
// the suite covers (1252 and 932). Wine only: on Windows the code page
// belongs to the system and cannot be switched per process.
#include "vela/text.h"

#include <initializer_list>

// The code page a child run was started for; 0 in the runner itself.
UINT ChildCodePage();

// Runs the tests that `filter` selects in a child runner under each covered
// code page that this process does not run under, and expects all `count`
// of them to pass there. Programs that those tests start inherit the code
// page. Other `codePages` may be asked for: 1251, 1253, 1255.
void ExpectPassUnderOtherCodePages(const WString& filter, int count,
                                   std::initializer_list<UINT> codePages = {1252, 932});
