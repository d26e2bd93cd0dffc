#include "app/output_plan.h"

#include "vela/storage/output_rules.h"

vela::OutputResult OutputPlan::Check(vela::Output& output, const vela::Track* source,
                                     vela::Existing existing, const std::string& bytes,
                                     PlannedOutput::Kind& kind)
{
    const WString name = vela::FoldNameCase(output.FinalPath());
    const auto earlier = planned_.find(name);
    if (earlier != planned_.end()) {
        // Written earlier in this run: the file there is the one that write
        // made, a regular file of the user's.
        if (existing == vela::Existing::Keep)
            return vela::Fail(ERROR_FILE_EXISTS);
        kind = earlier->second == bytes ? PlannedOutput::Unchanged : PlannedOutput::Replace;
        earlier->second = bytes;
        return kind == PlannedOutput::Unchanged ? vela::OutputResult::Unchanged
                                                : vela::OutputResult::Written;
    }
    const vela::OutputResult result = output.Check(source, existing, bytes);
    if (result == vela::OutputResult::Failed)
        return result;
    kind = result == vela::OutputResult::Unchanged ? PlannedOutput::Unchanged
           : output.Exists()                        ? PlannedOutput::Replace
                                                    : PlannedOutput::New;
    planned_.emplace(name, bytes);
    return result;
}
