#pragma once

#include "tests/support/temporary_home.h"

#include <filesystem>
#include <string>
#include <vector>

// A temporary home with a Documents folder, and the process working in a folder of its own
// (restored afterwards) where tests put "data.json".
class HostFixture : public TemporaryHome {
protected:
    void SetUp() override;
    void TearDown() override;

    void enableLog() const;
    void disableLog() const;
    std::string logText() const { return readFile(documents() / "log.txt"); }
    std::vector<std::string> logLines() const;
    void writeOptions(std::string_view text) const { writeFile(workingFolder_ / "data.json", text); }
    const std::filesystem::path& workingFolder() const { return workingFolder_; }

private:
    std::filesystem::path workingFolder_;
    std::filesystem::path previousFolder_;
};

// The bytes of one frame: little-endian length, then the message.
std::string lengthPrefix(std::uint32_t length);
std::string frame(std::string_view message);
