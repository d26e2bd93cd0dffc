#pragma once
// The program's few environment variables, set by its launcher.
#include "vela/text.h"

// The variable's value; empty when it is unset or empty.
WString EnvironmentValue(const WCHAR* name);
