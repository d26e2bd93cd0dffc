#pragma once
// Answering the shell's folder chooser while a test drives it.
#include "vela/text.h"

#include <functional>

struct ChooserAnswer {
    bool answered = false;  // the button was pressed with the start folder selected
    WString selected;
    bool selectedVisible = false;
};

// Runs open, which shows a chooser owned by owner and returns once it is
// closed, and answers the chooser from a thread timer (its modal loop
// dispatches them): as soon as the start folder startLeaf is selected,
// beforeAnswer runs and button is pressed. Wine 8's chooser now and then
// never takes the initial selection (seen 2026-12, about one run in twenty):
// after 3 s it is cancelled and open runs again, four times at most.
ChooserAnswer AnswerChooser(HWND owner, const WString& startLeaf, WPARAM button,
                            const std::function<void()>& open,
                            const std::function<void()>& beforeAnswer = nullptr);
