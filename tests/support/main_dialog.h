#pragma once
// The program's main dialog in a test: made from the real template 102, with
// its settings file wherever the test puts it, and driven through its
// controls as a user would.
#include "app/tagscribe.h"

#include <memory>

// Creates the dialog; a non-empty argument list makes it a hidden batch run.
// Null when the window could not be made.
std::unique_ptr<Tagscribe> OpenMainDialog(const WString& settingsPath,
                                          const WStringList& arguments = WStringList());

// Removes the quit message that closing the dialog posts, so that later tests
// and modal loops are not ended by it. True when there was one, with code 0.
bool TakeQuitMessage();

int CheckState(HWND dialog, int id);
// BM_SETCHECK, as a load from the settings does.
void SetCheck(HWND dialog, int id, int state);
// A click as the user makes it (BM_CLICK): check boxes toggle, buttons send
// their command.
void Click(HWND dialog, int id);
WString ItemText(HWND dialog, int id);
void SetItemText(HWND dialog, int id, const WString& text);
bool ItemEnabled(HWND dialog, int id);
