#pragma once
// The process's environment, as the launcher fills it for the program.
#include "vela/text.h"

// The value of the variable `name`; empty when it is not set or is empty.
WString EnvironmentValue(const WCHAR* name);
