#pragma once
// A batch started while the user's dialog is open hands its paths over: the
// dialog exports them as if they had been dropped onto it and sends the
// batch its report. Both ways go by WM_COPYDATA, which any process on the
// desktop can send, so each side checks what it receives before reading it.
#include "app/batch_console.h"
#include "vela/text.h"

// The request: dwData HandOverRequest; the paths in UTF-16, each followed by
// a NUL. The reply: dwData HandOverReply; the exit status (32 bits), then the
// report's text in UTF-16.
const ULONG_PTR HandOverRequest = 0x54534331;
const ULONG_PTR HandOverReply = 0x54534332;
// Twice what a command line can hold (32,767 characters). Wine 8 also
// lost the receiving process for a WM_COPYDATA of 1 MiB (seen 2026-12).
const DWORD HandOverRequestLimit = 128 * 1024;
// The report of a run over a whole library stays far below this.
const DWORD HandOverReplyLimit = 64u << 20;

// The paths of a well-formed request; false, with `paths` untouched, for
// anything else: another kind of data, an odd or oversized length, or a list
// that does not end with a NUL.
bool ReadHandOverRequest(const COPYDATASTRUCT& data, WStringList& paths);

// Sends the report to the batch's reply window. False when the report is
// above HandOverReplyLimit, or the window did not take it within the time a
// live process needs.
bool SendHandOverReply(HWND replyWindow, HWND dialog, int status, const WString& report);

// The batch's side: hands the paths to the dialog, waits for its export and
// writes its report to the console. The exit status: the export's, or 1 when
// the dialog refused the paths, did not answer within 10 s, or went away
// before it finished.
int HandOverToDialog(HWND dialog, const WStringList& paths, BatchConsole& console);
