#pragma once
// What one export run did, for a batch to tell its user: how many tracks
// gave a text file, how many had no lyrics, and each failure and each lossy
// output by name.
#include "app/code_page_loss.h"
#include "app/input_paths.h"
#include "vela/text.h"

#include <functional>
#include <vector>

struct ExportFailure {
    enum Kind {
        OpenInput,           // the input could not be read
        WriteOutput,         // the output could not be created or written
        ReplacesTrack,       // refused: the output would replace an MP3 file
        ReplacesInput        // refused: it would replace an input of the run
    };
    Kind kind;
    WString path;  // the input for OpenInput, else the output
    DWORD error;   // the system's error code for the first two kinds
};

struct LossyOutput {
    WString path;
    CodePageLoss loss;
};

// What a dry run found that a real run would do with one output it writes.
struct PlannedOutput {
    enum Kind {
        New,       // written where no file is
        Replace,   // written over the file there
        Unchanged  // left alone: it holds the text already
    };
    WString path;
    Kind kind;
};

struct ExportReport {
    size_t exported = 0;       // outputs that hold lyrics, written or already so
    size_t unchanged = 0;      // of those, outputs that held them already
    size_t withoutLyrics = 0;  // tracks read that have none
    std::vector<ExportFailure> failures;
    std::vector<LossyOutput> lossy;
    // Outputs of synchronised lyrics written without their times.
    WStringList untimed;
    // A dry run: nothing was written, and each output that a real run would
    // write is here, in the order of the tracks; the counts are the real
    // run's.
    bool dryRun = false;
    std::vector<PlannedOutput> planned;
    // What the folder walks did not enter.
    PassedOver passedOver;
    // Whether the paths held nothing that the run reads: no MP3 file, or
    // with the empty-file option no file at all.
    enum NothingToRead { SomethingRead, NoMp3File, NoFile };
    NothingToRead nothingToRead = SomethingRead;

    // 0 when nothing failed, else 1.
    int ExitStatus() const { return failures.empty() ? 0 : 1; }
};

// The report as a batch prints it, one "tagscribe: ..." line each, ending in
// a line feed: every failure with its reason, what a dry run would do with
// each other output, every lossy output, every output without the times of
// its synchronised lyrics, what the walks passed over (a line for the paths holding nothing to read only when no folder's
// sub-folders were left out, which tells the likelier cause), then the
// summary.
// Paths are shown as the user knows them (see UserPath).
void ForEachReportLine(const ExportReport& report,
                       const std::function<void(const WString& line)>& take);
// The last of those lines: the counts.
WString SummaryLine(const ExportReport& report);
// All the lines as one text.
WString FormatReport(const ExportReport& report);
