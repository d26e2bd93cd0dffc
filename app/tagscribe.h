#pragma once
// The main dialog: the output options, their persistence in the settings
// file, and the export of dropped or command-line paths.
#include "app/export_tracks.h"
#include "app/output_path.h"
#include "app/run_options.h"
#include "app/settings_path.h"
#include "app/settings_tables.h"
#include "vela/text.h"
#include "vela/ui/dialog.h"

#include <boost/shared_ptr.hpp>

#include <deque>
#include <optional>

namespace vela {
class Button;
class CheckBox;
class EditBox;
} // namespace vela

class Tagscribe : public vela::Dialog {
public:
    // With paths the dialog runs as a batch: it stays hidden and exports them
    // while it initialises. settingsPath is where the options are read from
    // and, at the end of an interactive run, written to.
    explicit Tagscribe(const WStringList& arguments,
                       const WString& settingsPath = DefaultSettingsPath());
    ~Tagscribe() override;

    LRESULT OnInitDialog(WPARAM wParam, LPARAM lParam) override;
    LRESULT OnDestroy(WPARAM wParam, LPARAM lParam) override;
    LRESULT OnDropFiles(WPARAM wParam, LPARAM lParam) override;
    LRESULT OnCommand(WPARAM wParam, LPARAM lParam) override;
    // Paths handed over by a batch run (WM_COPYDATA), and their export.
    LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

    // Told of a batch run's progress; set before Create.
    void ReportProgressTo(ExportProgress* progress) { progress_ = progress; }
    // A batch run's own options, put over the saved ones; set before Create.
    void RunWith(const RunOptions& options) { runOptions_ = options; }
    // What a batch run's export did; empty when it could not run (the
    // window or its controls could not be made).
    const std::optional<ExportReport>& BatchReport() const { return batchReport_; }

    // Exports the lyrics of every pending path, then empties the list.
    // Empty when the controls that hold the options are missing.
    std::optional<ExportReport> ExportLyrics();
    // The options as the controls hold them now. Requires the controls.
    ExportOptions ReadExportOptions();

private:
    // False when the template lacked one of the controls.
    bool ControlsReady() const;
    // Loads the options into the controls; gives the placement to restore.
    WINDOWPLACEMENT LoadSettings();
    void SaveSettings();
    void BrowseFolder();
    void BrowseFileName();
    LRESULT AcceptHandOver(HWND replyWindow, const COPYDATASTRUCT& data);
    void ExportHandOver();

    struct HandOver {
        HWND replyWindow;
        WStringList paths;
    };

    WStringList pending_;
    boost::shared_ptr<vela::EditBox> edits_[EditSettingCount];
    boost::shared_ptr<vela::CheckBox> checks_[CheckSettingCount];
    boost::shared_ptr<vela::Button> browseFolder_;
    boost::shared_ptr<vela::Button> browseFileName_;
    WString settingsPath_;
    ExportProgress* progress_ = nullptr;
    RunOptions runOptions_;
    std::optional<ExportReport> batchReport_;
    std::deque<HandOver> handOvers_;
};
