#pragma once

#include "host/text_output_stream.h"

#include <optional>
#include <string>
#include <string_view>

// The diagnostic log: "log.txt" in the user's Documents folder, kept only while an entry named
// "EnableLog" exists there. A Log answers for the moment it was made: the switch is tested once,
// so the lines of one read of standard input are all logged or none.
class Log final : public TextOutputStream {
public:
    // The Documents folder of the user running the host; none when there is no home directory.
    static std::optional<std::string> documentsDirectory();
    // Where the switch of a Documents folder is.
    static std::string switchPath(const std::string& documentsDirectory) {
        return documentsDirectory + "/EnableLog";
    }
    // Tests the switch in the given Documents folder now.
    static Log current(const std::optional<std::string>& documentsDirectory);

    bool isEnabled() const { return logFile_.has_value(); }
    // Appends the text as it is.
    void write(std::string_view text) override;
    // Appends the message and a line feed in one write, so lines of two hosts never mix.
    void line(std::string_view message);

private:
    explicit Log(std::optional<std::string> logFile) : logFile_(std::move(logFile)) {}

    std::optional<std::string> logFile_;
};
