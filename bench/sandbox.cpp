#include "sandbox.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <stdlib.h>

namespace bench {
namespace {

std::string make_unique_root() {
    std::string pattern = (std::filesystem::temp_directory_path() / "vantrel-bench-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("mkdtemp failed: " + std::string(std::strerror(errno)));
    }
    return pattern;
}

void write_file(const std::string& path, std::string_view contents) {
    std::ofstream out(path, std::ios::binary);
    out.write(contents.data(), static_cast<std::streamsize>(contents.size()));
    if (!out.flush()) {
        throw std::runtime_error("cannot write " + path);
    }
}

} // namespace

Sandbox::Sandbox(std::string_view data_json) : root_(make_unique_root()) {
    for (const auto& dir :
         {work_dir(), config_dir(), cache_dir(), data_dir(), state_dir(), documents_dir()}) {
        std::filesystem::create_directories(dir);
    }
    write_file(work_dir() + "/data.json", data_json);
}

Sandbox::~Sandbox() {
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
}

std::string Sandbox::stderr_tail(std::size_t max_bytes) const {
    std::ifstream in(stderr_path(), std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (text.size() > max_bytes) {
        text = "..." + text.substr(text.size() - max_bytes);
    }
    return text;
}

} // namespace bench
