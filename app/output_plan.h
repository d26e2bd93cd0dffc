#pragma once
// A dry run's view of the outputs it would write: what each write would do,
// judged without writing, with the outputs planned before in the same run
// taken as written, as a real run would have written them by then.
#include "app/export_report.h"
#include "vela/storage/disk.h"

#include <string>
#include <unordered_map>

class OutputPlan {
public:
    // What Output::Write would do with these arguments at this point of the
    // run: Failed with its last error, Unchanged, or Written; `kind` tells
    // the last two apart from a new file.
    vela::OutputResult Check(vela::Output& output, const vela::Track* source,
                             vela::Existing existing, const std::string& bytes,
                             PlannedOutput::Kind& kind);

private:
    // The bytes planned for each output so far, by its final name folded.
    std::unordered_map<WString, std::string> planned_;
};
