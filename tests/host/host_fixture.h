#pragma once

#include "platform/foundation/data.h"
#include "platform/foundation/workspace.h"
#include "tests/support/temporary_home.h"

#include <filesystem>
#include <string>
#include <vector>

// Remembers the URLs it was asked to open instead of starting an opener.
class RecordingWorkspace : public foundation::Workspace {
public:
    RecordingWorkspace() : Workspace("/nonexistent/opener") {}
    std::vector<std::string> opened;

protected:
    bool runOpener(const foundation::URL& url) override {
        opened.push_back(url.absoluteString());
        return true;
    }
};

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
