#include "tests/support/temporary_home.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace {

const char* const variables[] = {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME",
                                 "XDG_STATE_HOME"};

} // namespace

void TemporaryHome::SetUp() {
    std::string pattern = (std::filesystem::temp_directory_path() / "vantrel-test-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    home_ = pattern;
    for (const char* name : variables) {
        const char* value = std::getenv(name);
        savedEnvironment_[name] = value ? std::optional<std::string>(value) : std::nullopt;
    }
    ::setenv("HOME", home_.c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (home_ / ".config").c_str(), 1);
    ::setenv("XDG_DATA_HOME", (home_ / ".local/share").c_str(), 1);
    ::setenv("XDG_CACHE_HOME", (home_ / ".cache").c_str(), 1);
    ::setenv("XDG_STATE_HOME", (home_ / ".local/state").c_str(), 1);
}

void TemporaryHome::TearDown() {
    for (const auto& [name, value] : savedEnvironment_) {
        if (value)
            ::setenv(name.c_str(), value->c_str(), 1);
        else
            ::unsetenv(name.c_str());
    }
    std::error_code ignored;
    std::filesystem::remove_all(home_, ignored);
}

std::filesystem::path TemporaryHome::makeFolder(const std::string& name) const {
    auto folder = home_ / name;
    std::filesystem::create_directories(folder);
    return folder;
}

std::string readFile(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream content;
    content << file.rdbuf();
    return content.str();
}

void writeFile(const std::filesystem::path& path, std::string_view content) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(content.data(), static_cast<std::streamsize>(content.size()));
}
