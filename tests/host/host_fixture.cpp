#include "tests/host/host_fixture.h"

#include <sstream>

void HostFixture::SetUp() {
    TemporaryHome::SetUp();
    std::filesystem::create_directories(documents());
    workingFolder_ = makeFolder("app folder");
    previousFolder_ = std::filesystem::current_path();
    std::filesystem::current_path(workingFolder_);
}

void HostFixture::TearDown() {
    std::filesystem::current_path(previousFolder_);
    TemporaryHome::TearDown();
}

void HostFixture::enableLog() const {
    writeFile(documents() / "EnableLog", "");
}

void HostFixture::disableLog() const {
    std::filesystem::remove(documents() / "EnableLog");
}

std::vector<std::string> HostFixture::logLines() const {
    std::vector<std::string> lines;
    std::istringstream text(logText());
    for (std::string line; std::getline(text, line);)
        lines.push_back(line);
    return lines;
}

std::string lengthPrefix(std::uint32_t length) {
    std::string bytes;
    for (int shift = 0; shift < 32; shift += 8)
        bytes.push_back(static_cast<char>((length >> shift) & 0xFF));
    return bytes;
}

std::string frame(std::string_view message) {
    return lengthPrefix(static_cast<std::uint32_t>(message.size())).append(message);
}
