#include "app/tagscribe.h"

#include "app/export_tracks.h"
#include "app/hand_over.h"
#include "app/manual_path.h"
#include "app/paths.h"
#include "res/resource.h"
#include "vela/storage/archive.h"
#include "vela/ui/browse_folder.h"
#include "vela/ui/button.h"
#include "vela/ui/check_box.h"
#include "vela/ui/drop_file.h"
#include "vela/ui/edit_box.h"
#include "vela/ui/tool_tip.h"

#include <cstring>
#include <utility>

namespace {

const INT32 SettingsVersion = 1;
// Posted to itself: export the oldest handed-over list.
const UINT WM_EXPORT_HAND_OVER = WM_APP + 1;
const WCHAR* const PlacementKey = TEXT("WindowPlacement");

// The settings file stores the structure's bytes as they are.
static_assert(sizeof(WINDOWPLACEMENT) == 44, "WINDOWPLACEMENT is stored as 44 bytes");

} // namespace

Tagscribe::Tagscribe(const WStringList& arguments, const WString& settingsPath)
    : pending_(arguments), settingsPath_(settingsPath)
{
}

// The members go in reverse order: buttons, check boxes (whose links point at
// the edit boxes, the buttons and this dialog), edit boxes, the pending list;
// the Dialog part last.
Tagscribe::~Tagscribe() = default;

bool Tagscribe::ControlsReady() const
{
    for (const auto& check : checks_) {
        if (!check)
            return false;
    }
    for (const auto& edit : edits_) {
        if (!edit)
            return false;
    }
    return browseFolder_ && browseFileName_;
}

LRESULT Tagscribe::OnInitDialog(WPARAM, LPARAM)
{
    Send(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(vela::LoadIcon(IDI_TAGSCRIBE)));
    for (std::size_t i = 0; i < CheckSettingCount; ++i)
        checks_[i] = vela::CheckBox::FromDlgItem(*this, CheckSetting[i].id);
    for (std::size_t i = 0; i < EditSettingCount; ++i)
        edits_[i] = vela::EditBox::FromDlgItem(*this, EditSetting[i].id);
    browseFolder_ = vela::Button::FromDlgItem(*this, IDC_BROWSE_DIRECTORY);
    browseFileName_ = vela::Button::FromDlgItem(*this, IDC_BROWSE_FILE_NAME);
    if (!ControlsReady())
        return 0;

    // A check box set makes its typed counterpart irrelevant.
    checks_[SameDirectoryCheck]->AddLink(edits_[DirectoryEdit], vela::LinkDisable, BST_CHECKED);
    checks_[SameDirectoryCheck]->AddLink(browseFolder_, vela::LinkDisable, BST_CHECKED);
    checks_[SameFileNameCheck]->AddLink(edits_[FileNameEdit], vela::LinkDisable, BST_CHECKED);
    checks_[SameFileNameCheck]->AddLink(browseFileName_, vela::LinkDisable, BST_CHECKED);
    checks_[TopMostCheck]->AddLink(this, vela::LinkTopmost, BST_CHECKED);

    WINDOWPLACEMENT placement = LoadSettings();
    if (pending_.empty()) {
        SetToolTip(TEXT("mp3ファイルをD&Dすると歌詞が出力されます"));
        SetWindowPlacement(&placement);
        Show(SW_SHOW);
    } else {
        placement.showCmd = SW_HIDE;
        SetWindowPlacement(&placement);
        batchReport_ = ExportLyrics();
    }
    return 0;
}

WINDOWPLACEMENT Tagscribe::LoadSettings()
{
    vela::Archive archive(0);
    if (vela::Archive::PeekVersion(settingsPath_) == SettingsVersion)
        archive.LoadFile(settingsPath_);
    for (std::size_t i = 0; i < CheckSettingCount; ++i)
        checks_[i]->Load(archive.Child(CheckSetting[i].key), CheckSetting[i].defaultState);
    for (std::size_t i = 0; i < EditSettingCount; ++i)
        edits_[i]->Load(archive.Child(EditSetting[i].key), EditSetting[i].defaultText);

    WINDOWPLACEMENT placement = {};
    placement.length = sizeof placement;
    GetWindowPlacement(&placement);
    RECT current = {};
    GetWindowRect(&current);
    const vela::Bytes* saved = archive.FindValue(PlacementKey);
    if (saved && saved->size() == sizeof placement) {
        std::memcpy(&placement, saved->data(), sizeof placement);
        placement.length = sizeof placement;  // the call refuses any other
    }
    // Only the position and the show state come back; the size is the
    // template's.
    RECT& normal = placement.rcNormalPosition;
    normal.right = normal.left + (current.right - current.left);
    normal.bottom = normal.top + (current.bottom - current.top);
    return placement;
}

LRESULT Tagscribe::OnDestroy(WPARAM, LPARAM)
{
    if (ControlsReady())
        SaveSettings();
    PostQuitMessage(0);
    return 0;
}

void Tagscribe::SaveSettings()
{
    WINDOWPLACEMENT placement = {};
    placement.length = sizeof placement;
    GetWindowPlacement(&placement);
    vela::Archive archive(SettingsVersion);
    for (std::size_t i = 0; i < CheckSettingCount; ++i)
        checks_[i]->Save(archive.Child(CheckSetting[i].key));
    for (std::size_t i = 0; i < EditSettingCount; ++i)
        edits_[i]->Save(archive.Child(EditSetting[i].key));
    const BYTE* bytes = reinterpret_cast<const BYTE*>(&placement);
    archive.Value(PlacementKey).assign(bytes, bytes + sizeof placement);
    archive.SaveFile(settingsPath_);
}

LRESULT Tagscribe::OnDropFiles(WPARAM wParam, LPARAM)
{
    vela::DropFile drop(reinterpret_cast<HDROP>(wParam));
    for (WString name = drop.Next(); !name.empty(); name = drop.Next())
        pending_.push_back(name);
    ExportLyrics();
    return 0;
}

std::optional<ExportReport> Tagscribe::ExportLyrics()
{
    std::optional<ExportReport> report;
    if (ControlsReady())
        report = ExportTracks(std::move(pending_), runOptions_.Over(ReadExportOptions()), progress_);
    pending_.clear();  // a moved-from list is valid but unspecified
    return report;
}

LRESULT Tagscribe::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_COPYDATA:
        return AcceptHandOver(reinterpret_cast<HWND>(wParam),
                              *reinterpret_cast<const COPYDATASTRUCT*>(lParam));
    case WM_EXPORT_HAND_OVER:
        ExportHandOver();
        return TRUE;
    default:
        return Dialog::OnMessage(msg, wParam, lParam);
    }
}

// Answered at once: the export runs from the message loop, so that the
// batch waits for the report without a limit while a dialog that is busy
// with a drop still shows as not answering.
LRESULT Tagscribe::AcceptHandOver(HWND replyWindow, const COPYDATASTRUCT& data)
{
    HandOver handOver = {replyWindow, {}};
    const BOOL accepted = ReadHandOverRequest(data, handOver.paths) && ControlsReady();
    if (accepted) {
        handOvers_.push_back(std::move(handOver));
        PostMessageW(hwnd, WM_EXPORT_HAND_OVER, 0, 0);
    }
    // A dialog procedure gives a message's result through this word.
    SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, accepted);
    return TRUE;
}

void Tagscribe::ExportHandOver()
{
    if (handOvers_.empty())
        return;
    HandOver handOver = std::move(handOvers_.front());
    handOvers_.pop_front();
    pending_.insert(pending_.end(), handOver.paths.begin(), handOver.paths.end());
    const std::optional<ExportReport> report = ExportLyrics();
    if (!report) {
        SendHandOverReply(handOver.replyWindow, hwnd, 1,
                          TEXT("tagscribe: the open dialog could not export\n"));
        return;
    }
    // The batch waits for a reply until the dialog closes, so a report it
    // cannot take (one above the limit, for one) is followed by its counts.
    if (!SendHandOverReply(handOver.replyWindow, hwnd, report->ExitStatus(),
                           FormatReport(*report)))
        SendHandOverReply(handOver.replyWindow, hwnd, 1,
                          TEXT("tagscribe: the export ran in the open dialog, but its report ")
                          TEXT("could not be sent here and was not kept; its counts:\n") +
                              SummaryLine(*report));
}

// Read once for a whole run: the job pumps no messages, so the controls cannot
// change while it runs, and under Wine every read goes through the subclass
// machinery's window properties, server round trips that cost more than a
// file's own work.
ExportOptions Tagscribe::ReadExportOptions()
{
    return {checks_[SubDirectoryCheck]->IsChecked(),
            checks_[EmptyFileCheck]->IsChecked(),
            {checks_[SameDirectoryCheck]->IsChecked(), edits_[DirectoryEdit]->GetText(),
             checks_[SameFileNameCheck]->IsChecked(), edits_[FileNameEdit]->GetText(),
             edits_[ExtensionEdit]->GetText()}};
}

LRESULT Tagscribe::OnCommand(WPARAM wParam, LPARAM lParam)
{
    switch (LOWORD(wParam)) {
    case IDCANCEL:
    case IDC_EXIT:
        Destroy();
        return 0;
    case IDC_BROWSE_DIRECTORY:
        BrowseFolder();
        return 0;
    case IDC_BROWSE_FILE_NAME:
        BrowseFileName();
        return 0;
    case IDC_HELP_MANUAL:
        ShellExecute(ManualPath(), WString(), WString(), SW_SHOWNORMAL);
        return 0;
    default:
        return Dialog::OnCommand(wParam, lParam);
    }
}

void Tagscribe::BrowseFolder()
{
    if (!ControlsReady())
        return;
    WString chosen;
    if (vela::BrowseForFolder(this, chosen, edits_[DirectoryEdit]->GetText()))
        edits_[DirectoryEdit]->SetText(chosen);
}

void Tagscribe::BrowseFileName()
{
    if (!ControlsReady())
        return;
    WString chosen;
    if (!vela::BrowseForFolder(this, chosen, edits_[DirectoryEdit]->GetText()))
        return;
    // A folder named Album.2010 gives the name Album and the extension 2010.
    const WString leaf = LeafName(chosen);
    const WString extension = ExtensionOf(leaf);
    edits_[FileNameEdit]->SetText(StripExtension(leaf));
    edits_[ExtensionEdit]->SetText(extension.empty() ? extension : extension.substr(1));
}
