#pragma once

#include "tests/support/temporary_home.h"

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

// A temporary home with a Documents folder, and the process working in a folder of its own
// (restored afterwards) where tests put "data.json".
class HostFixture : public TemporaryHome {
protected:
    void SetUp() override {
        TemporaryHome::SetUp();
        std::filesystem::create_directories(documents());
        workingFolder_ = makeFolder("app folder");
        previousFolder_ = std::filesystem::current_path();
        std::filesystem::current_path(workingFolder_);
        writeOptions("{\"a\":1}");
    }
    void TearDown() override {
        std::filesystem::current_path(previousFolder_);
        TemporaryHome::TearDown();
    }

    void enableLog() const { writeFile(documents() / "EnableLog", ""); }
    void disableLog() const { std::filesystem::remove(documents() / "EnableLog"); }
    std::vector<std::string> logLines() const { return linesOf(documents() / "log.txt"); }
    static std::vector<std::string> linesOf(const std::filesystem::path& file) {
        std::vector<std::string> lines;
        std::istringstream text(readFile(file));
        for (std::string line; std::getline(text, line);)
            lines.push_back(line);
        return lines;
    }
    void writeOptions(std::string_view text) const { writeFile(workingFolder_ / "data.json", text); }
    const std::filesystem::path& workingFolder() const { return workingFolder_; }

private:
    std::filesystem::path workingFolder_;
    std::filesystem::path previousFolder_;
};

// The bytes of one frame: little-endian length, then the message.
inline std::string lengthPrefix(std::uint32_t length) {
    return {static_cast<char>(length), static_cast<char>(length >> 8), static_cast<char>(length >> 16),
            static_cast<char>(length >> 24)};
}
inline std::string frame(std::string_view message) {
    return lengthPrefix(static_cast<std::uint32_t>(message.size())).append(message);
}
