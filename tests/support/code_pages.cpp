#include "tests/support/gtest.h"

#include "tests/support/code_pages.h"

#include "app/paths.h"
#include "tests/support/temp_dir.h"

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

// Wine picks the ANSI code page from the Unix locale when a process starts,
// and a child started with CreateProcessW inherits the Unix environment of
// its parent, not the Windows environment block it is given (seen with Wine
// 8.0). So the locale goes into the Unix environment for the moment of the
// start.
namespace {

const char* const kExpectVariable = "TAGSCRIBE_EXPECT_ACP";

struct Locale {
    UINT codePage;
    const char* name;
};

// Sets one Unix environment variable and puts the old value back when it ends.
class UnixVariable {
public:
    UnixVariable(const char* name, const std::string& value) : name_(name)
    {
        const char* old = std::getenv(name);
        existed_ = old != nullptr;
        old_ = old ? old : "";
        setenv(name, value.c_str(), 1);
    }
    ~UnixVariable() { existed_ ? setenv(name_, old_.c_str(), 1) : unsetenv(name_); }

private:
    const char* name_;
    bool existed_;
    std::string old_;
};

// Runs this test runner (the Winelib module itself: the .exe beside it is a
// shell launcher that CreateProcessW cannot wait for) with a gtest filter;
// gives its exit code, or -1, and what it wrote.
DWORD RunChild(const WString& filter, std::string& output, const TempDir& dir)
{
    WString logPath = dir / TEXT("child.log");
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE log = CreateFileW(logPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                             CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (log == INVALID_HANDLE_VALUE)
        return DWORD(-1);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = log;
    startup.hStdError = log;
    WString module = ModulePath() + TEXT(".so");
    WString commandLine = TEXT("\"") + module + TEXT("\" --gtest_filter=") + filter;
    std::vector<WCHAR> mutableLine(commandLine.begin(), commandLine.end());
    mutableLine.push_back(0);
    PROCESS_INFORMATION process = {};
    BOOL started = CreateProcessW(module.c_str(), mutableLine.data(), nullptr, nullptr, TRUE, 0,
                                  nullptr, nullptr, &startup, &process);
    DWORD error = GetLastError();
    CloseHandle(log);
    if (!started) {
        output = "CreateProcessW failed with error " + std::to_string(error);
        return DWORD(-1);
    }
    DWORD code = DWORD(-1);
    if (WaitForSingleObject(process.hProcess, 120000) == WAIT_OBJECT_0)
        GetExitCodeProcess(process.hProcess, &code);
    else
        TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    output = ReadBytes(logPath);
    return code;
}

} // namespace

UINT ChildCodePage()
{
    const char* expected = std::getenv(kExpectVariable);
    return expected ? static_cast<UINT>(std::atoi(expected)) : 0;
}

void ExpectPassUnderOtherCodePages(const WString& filter, int count,
                                   std::initializer_list<UINT> codePages)
{
    const Locale locales[] = {{1252, "C.UTF-8"},     {932, "ja_JP.UTF-8"}, {1251, "ru_RU.UTF-8"},
                              {1253, "el_GR.UTF-8"}, {1255, "he_IL.UTF-8"}};
    const std::string passed = "[  PASSED  ] " + std::to_string(count) + " test";
    TempDir dir;
    for (const Locale& locale : locales) {
        if (locale.codePage == GetACP() ||
            std::find(codePages.begin(), codePages.end(), locale.codePage) == codePages.end())
            continue;  // this process runs the cases itself, or they are not wanted
        std::string output;
        DWORD code;
        {
            UnixVariable all("LC_ALL", locale.name), lang("LANG", locale.name),
                expect(kExpectVariable, std::to_string(locale.codePage));
            code = RunChild(filter, output, dir);
        }
        EXPECT_EQ(code, 0u) << "code page " << locale.codePage << ":\n" << output;
        EXPECT_NE(output.find(passed), std::string::npos)
            << "code page " << locale.codePage << ":\n" << output;
    }
}
