#pragma once
// A reporter that records what the status line and the message boxes would have shown, one line each,
// in the form the command-line tool prints: "status: <text>" and "message: [<caption>] <text>".

#include "channelfile/reporter.h"

#include <string>
#include <vector>

namespace tcn::test {

class RecordingReporter : public Reporter {
  public:
    void ShowStatus(std::string_view text) override { lines.push_back("status: " + std::string(text)); }
    void ShowMessageBox(std::string_view text, std::string_view caption) override {
        lines.push_back("message: [" + std::string(caption) + "] " + std::string(text));
    }
    std::vector<std::string> lines;
};

} // namespace tcn::test
