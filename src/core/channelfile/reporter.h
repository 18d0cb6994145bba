#pragma once
// The two sinks through which the load chain and the writer report: the status line and message boxes.
// The window, the command-line tool and the tests each supply their own.

#include <string_view>

namespace tcn {

class Reporter {
  public:
    virtual ~Reporter() = default;
    // Replaces the whole status-line text.
    virtual void ShowStatus(std::string_view text) = 0;
    // Shows a modal message box (OK button, no icon) and returns when it is dismissed.
    virtual void ShowMessageBox(std::string_view text, std::string_view caption) = 0;
};

} // namespace tcn
