#include "app/start_mark.h"

#include "app/environment.h"

const WCHAR StartMarkVariable[] = TEXT("TAGSCRIBE_START_MARK");

void RemoveStartMark()
{
    const WString mark = EnvironmentValue(StartMarkVariable);
    if (mark.empty())
        return;
    DeleteFileW(mark.c_str());
    SetEnvironmentVariableW(StartMarkVariable, nullptr);
}
