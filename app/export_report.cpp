#include "app/export_report.h"

#include "vela/storage/user_path.h"

#include <memory>
#include <string>

namespace {

WString Number(unsigned long long value)
{
    const std::string digits = std::to_string(value);
    return WString(digits.begin(), digits.end());
}

struct LocalFreeDeleter {
    void operator()(WCHAR* text) const { LocalFree(text); }
};

} // namespace

WString SystemText(DWORD error)
{
    WCHAR* raw = nullptr;
    FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                       FORMAT_MESSAGE_IGNORE_INSERTS,
                   nullptr, error, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                   reinterpret_cast<LPWSTR>(&raw), 0, nullptr);
    std::unique_ptr<WCHAR, LocalFreeDeleter> owned(raw);
    WString text = owned ? WString(owned.get()) : WString();
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' '))
        text.pop_back();
    for (WCHAR& c : text) {
        if (c == '\r' || c == '\n')
            c = ' ';
    }
    if (text.empty())
        text = TEXT("error ") + Number(error);
    return text;
}

namespace {

WString Reason(const ExportFailure& failure)
{
    switch (failure.kind) {
    case ExportFailure::ReplacesTrack:
        return TEXT("not written: it would replace an MP3 file");
    case ExportFailure::ReplacesInput:
        return TEXT("not written: it would replace a file that this run reads");
    default:
        return SystemText(failure.error);
    }
}

WString Count(size_t count, const WCHAR* what)
{
    return Number(count) + TEXT(" ") + what;
}

} // namespace

WString FormatReport(const ExportReport& report)
{
    const WString prefix = TEXT("tagscribe: ");
    WString text;
    for (const ExportFailure& failure : report.failures)
        text += prefix + vela::UserPath(failure.path) + TEXT(": ") + Reason(failure) + TEXT("\n");
    // A UTF-8 run loses only what no encoding holds: unpaired surrogates.
    const WString hint = GetACP() == CP_UTF8 ? WString() : WString(TEXT("; --utf8 keeps them"));
    for (const LossyOutput& output : report.lossy) {
        const CodePageLoss& loss = output.loss;
        const WCHAR* how = loss.asDefault == loss.lost ? TEXT("written as ?")
                           : loss.asDefault == 0       ? TEXT("written as look-alikes")
                                                       : TEXT("written as ? or look-alikes");
        text += prefix + vela::UserPath(output.path) + TEXT(": ") +
                Count(loss.lost, loss.lost == 1 ? TEXT("character") : TEXT("characters")) +
                TEXT(" not in code page ") + Number(GetACP()) + TEXT(" (") + how + hint +
                TEXT(")\n");
    }
    text += prefix + Count(report.exported, TEXT("exported, ")) +
            Count(report.withoutLyrics, TEXT("without lyrics, ")) +
            Count(report.failures.size(), TEXT("failed"));
    if (report.unchanged > 0)
        text += TEXT(", ") + Count(report.unchanged, TEXT("unchanged"));
    return text + TEXT("\n");
}
