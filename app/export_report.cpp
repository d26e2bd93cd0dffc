#include "app/export_report.h"

#include "vela/storage/disk.h"
#include "vela/storage/file.h"
#include "vela/storage/user_path.h"

namespace {

WString Reason(const ExportFailure& failure)
{
    switch (failure.kind) {
    case ExportFailure::ReplacesTrack:
        return TEXT("not written: it would replace an MP3 file");
    case ExportFailure::ReplacesInput:
        return TEXT("not written: it would replace a file that this run reads");
    default:
        if (failure.error == vela::kErrorHardLinked)
            return TEXT("not written: other hard links share this file and would keep the old "
                        "text");
        if (failure.error == vela::kErrorForeignLink)
            return TEXT("not written: a symbolic link owned by another user");
        return vela::SystemText(failure.error);
    }
}

const WCHAR* Plan(PlannedOutput::Kind kind)
{
    switch (kind) {
    case PlannedOutput::New:
        return TEXT("would be written (a new file)");
    case PlannedOutput::Replace:
        return TEXT("would be written over the file there");
    default:
        return TEXT("would be left unchanged (it holds the text already)");
    }
}

WString Count(size_t count, const WCHAR* what)
{
    return DecimalText(count) + TEXT(" ") + what;
}

} // namespace

void ForEachReportLine(const ExportReport& report,
                       const std::function<void(const WString& line)>& take)
{
    const WString prefix = TEXT("tagscribe: ");
    for (const ExportFailure& failure : report.failures)
        take(prefix + vela::UserPath(failure.path) + TEXT(": ") + Reason(failure) + TEXT("\n"));
    for (const PlannedOutput& output : report.planned)
        take(prefix + vela::UserPath(output.path) + TEXT(": ") + Plan(output.kind) + TEXT("\n"));
    // A UTF-8 run loses only what no encoding holds: unpaired surrogates.
    const WString hint = GetACP() == CP_UTF8 ? WString() : WString(TEXT("; --utf8 keeps them"));
    for (const LossyOutput& output : report.lossy) {
        const CodePageLoss& loss = output.loss;
        const WCHAR* how = loss.asDefault == loss.lost ? TEXT("written as ?")
                           : loss.asDefault == 0       ? TEXT("written as look-alikes")
                                                       : TEXT("written as ? or look-alikes");
        take(prefix + vela::UserPath(output.path) + TEXT(": ") +
             Count(loss.lost, loss.lost == 1 ? TEXT("character") : TEXT("characters")) +
             TEXT(" not in code page ") + DecimalText(GetACP()) + TEXT(" (") + how + hint +
             TEXT(")\n"));
    }
    for (const WString& path : report.untimed)
        take(prefix + vela::UserPath(path) +
             TEXT(": written without time stamps (the track's synchronised lyrics give "
                  "none that can be read)\n"));
    for (const vela::LoopEntry& loop : report.passedOver.loops)
        take(prefix + vela::UserPath(loop.path) + TEXT(": not searched: it leads back to ") +
             vela::UserPath(loop.leadsBackTo) + TEXT("\n"));
    const std::vector<UnsearchedFolders>& unsearched = report.passedOver.unsearched;
    for (const UnsearchedFolders& folder : unsearched) {
        const bool one = folder.count == 1;
        take(prefix + Count(folder.count, one ? TEXT("sub-folder") : TEXT("sub-folders")) +
             TEXT(" of ") + vela::UserPath(folder.folder) +
             TEXT(" not searched (the sub-folder option is off; -r searches ") +
             (one ? TEXT("it") : TEXT("them")) + TEXT(")\n"));
    }
    if (unsearched.empty() && report.nothingToRead != ExportReport::SomethingRead)
        take(prefix +
             (report.nothingToRead == ExportReport::NoMp3File ? TEXT("no MP3 file")
                                                              : TEXT("no file")) +
             TEXT(" in the paths named\n"));
    take(SummaryLine(report));
}

WString SummaryLine(const ExportReport& report)
{
    WString summary = TEXT("tagscribe: ") + Count(report.exported, TEXT("exported, ")) +
                      Count(report.withoutLyrics, TEXT("without lyrics, ")) +
                      Count(report.failures.size(), TEXT("failed"));
    if (report.unchanged > 0)
        summary += TEXT(", ") + Count(report.unchanged, TEXT("unchanged"));
    if (report.dryRun)
        summary += TEXT(" (a dry run: nothing was written)");
    return summary + TEXT("\n");
}

WString FormatReport(const ExportReport& report)
{
    WString text;
    ForEachReportLine(report, [&text](const WString& line) { text += line; });
    return text;
}
