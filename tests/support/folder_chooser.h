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
// closed, and answers the chooser from a hook on this thread, as soon as its
// modal loop is idle with the folder start selected: beforeAnswer runs and
// button is pressed. A chooser still without that selection after 10 s is
// cancelled, unanswered.
ChooserAnswer AnswerChooser(HWND owner, const WString& start, WPARAM button,
                            const std::function<void()>& open,
                            const std::function<void()>& beforeAnswer = nullptr);
