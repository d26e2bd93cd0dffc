#include "app/command_line.h"

WStringList SplitCommandLine(const WString& text)
{
    const WCHAR quote = TEXT('"');
    const WCHAR space = TEXT(' ');
    WStringList arguments;
    size_t position = 0;
    while (position < text.size()) {
        if (text[position] == quote) {
            size_t closing = text.find(quote, position + 1);
            if (closing == WString::npos)
                break;
            arguments.push_back(text.substr(position + 1, closing - position - 1));
            position = closing + 1;
        } else if (text[position] == space) {
            ++position;
        } else {
            size_t end = text.find(space, position);
            if (end == WString::npos) {
                arguments.push_back(text.substr(position));
                break;
            }
            arguments.push_back(text.substr(position, end - position));
            position = end + 1;
        }
    }
    return arguments;
}
