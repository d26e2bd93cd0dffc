#include "app/hand_over.h"

#include "vela/owned.h"
#include "vela/ui/window.h"

#include <cstring>

namespace {

const DWORD AnswerTimeout = 10000;

// A message-only window that takes the dialog's report.
class ReplyWindow : public vela::Window {
public:
    // Takes the report of `dialog` alone.
    explicit ReplyWindow(HWND dialog) : expected_(dialog) { CreateMessageOnly(); }

    LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override
    {
        if (msg == WM_COPYDATA)
            return Take(reinterpret_cast<HWND>(wParam),
                        *reinterpret_cast<const COPYDATASTRUCT*>(lParam));
        return Window::OnMessage(msg, wParam, lParam);
    }

    bool Received() const { return received_; }
    int Status() const { return status_; }
    const WString& Report() const { return report_; }

private:
    // Only the dialog the paths went to may answer, and only once.
    BOOL Take(HWND sender, const COPYDATASTRUCT& data)
    {
        const DWORD size = data.cbData;
        if (received_ || sender != expected_ || data.dwData != HandOverReply || !data.lpData ||
            size < sizeof(INT32) || size > HandOverReplyLimit ||
            (size - sizeof(INT32)) % sizeof(WCHAR))
            return FALSE;
        INT32 status = 1;
        std::memcpy(&status, data.lpData, sizeof status);
        const auto* text = reinterpret_cast<const BYTE*>(data.lpData) + sizeof status;
        report_.resize((size - sizeof status) / sizeof(WCHAR));
        if (!report_.empty())
            std::memcpy(&report_[0], text, report_.size() * sizeof(WCHAR));
        status_ = status == 0 ? 0 : 1;
        received_ = true;
        return TRUE;
    }

    HWND expected_;
    bool received_ = false;
    int status_ = 1;
    WString report_;
};

// Waits, taking the messages sent meanwhile, until the reply is in or the
// dialog is gone.
void AwaitReply(const ReplyWindow& reply, HWND dialog)
{
    DWORD id = 0;
    GetWindowThreadProcessId(dialog, &id);
    const vela::OwnedHandle process(id ? OpenProcess(SYNCHRONIZE, FALSE, id) : nullptr);
    const HANDLE handle = process.get();
    while (!reply.Received()) {
        const DWORD woke = handle ? MsgWaitForMultipleObjects(1, &handle, FALSE, 1000, QS_ALLINPUT)
                                  : MsgWaitForMultipleObjects(0, nullptr, FALSE, 1000, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&msg);
        if (reply.Received() || woke == WAIT_OBJECT_0 || !IsWindow(dialog))
            return;
    }
}

} // namespace

bool ReadHandOverRequest(const COPYDATASTRUCT& data, WStringList& paths)
{
    const DWORD size = data.cbData;
    if (data.dwData != HandOverRequest || !data.lpData || size == 0 ||
        size > HandOverRequestLimit || size % sizeof(WCHAR) != 0)
        return false;
    // Copied first: the sender's memory is read once, whatever it does.
    WString units(size / sizeof(WCHAR), WCHAR(0));
    std::memcpy(&units[0], data.lpData, size);
    if (units.back() != 0)
        return false;
    WStringList read;
    for (size_t start = 0; start < units.size();) {
        const size_t end = units.find(WCHAR(0), start);
        read.push_back(units.substr(start, end - start));
        start = end + 1;
    }
    paths.swap(read);
    return true;
}

bool SendHandOverReply(HWND replyWindow, HWND dialog, int status, const WString& report)
{
    // Refused here rather than by the reply window, after a copy of it all.
    if (report.size() > (HandOverReplyLimit - sizeof(INT32)) / sizeof(WCHAR))
        return false;
    std::basic_string<BYTE> bytes(sizeof(INT32) + report.size() * sizeof(WCHAR), 0);
    const INT32 code = status;
    std::memcpy(&bytes[0], &code, sizeof code);
    if (!report.empty())
        std::memcpy(&bytes[sizeof code], report.data(), report.size() * sizeof(WCHAR));
    COPYDATASTRUCT data = {HandOverReply, static_cast<DWORD>(bytes.size()), &bytes[0]};
    DWORD_PTR taken = FALSE;
    return SendMessageTimeoutW(replyWindow, WM_COPYDATA, reinterpret_cast<WPARAM>(dialog),
                               reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG, AnswerTimeout,
                               &taken) &&
           taken;
}

int HandOverToDialog(HWND dialog, const WStringList& paths, BatchConsole& console)
{
    WString units;
    for (const WString& path : paths)
        units += path + WCHAR(0);
    ReplyWindow reply(dialog);
    const DWORD size = static_cast<DWORD>(units.size() * sizeof(WCHAR));
    if (!reply.hwnd || size > HandOverRequestLimit) {
        console.Write(TEXT("tagscribe: the paths could not be handed to the open dialog\n"));
        return 1;
    }
    COPYDATASTRUCT data = {HandOverRequest, size, &units[0]};
    DWORD_PTR accepted = FALSE;
    if (!SendMessageTimeoutW(dialog, WM_COPYDATA, reinterpret_cast<WPARAM>(reply.hwnd),
                             reinterpret_cast<LPARAM>(&data), SMTO_NORMAL, AnswerTimeout,
                             &accepted)) {
        console.Write(TEXT("tagscribe: the open dialog did not answer within 10 s (busy with ")
                      TEXT("another export?); nothing exported\n"));
        return 1;
    }
    if (!accepted) {
        console.Write(TEXT("tagscribe: the open dialog refused the paths; nothing exported\n"));
        return 1;
    }
    AwaitReply(reply, dialog);
    if (!reply.Received()) {
        console.Write(TEXT("tagscribe: the open dialog closed before it reported its export\n"));
        return 1;
    }
    console.Write(reply.Report());
    return reply.Status();
}
