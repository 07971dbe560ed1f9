#pragma once

#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <optional>
#include <string>

// Points HOME and the XDG folders at a fresh temporary folder for the length of a test, so no
// test ever touches the real user's files.
class TemporaryHome : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    const std::filesystem::path& home() const { return home_; }
    std::filesystem::path documents() const { return home_ / "Documents"; }
    // A fresh working folder inside the temporary home.
    std::filesystem::path makeFolder(const std::string& name) const;

private:
    std::filesystem::path home_;
    std::map<std::string, std::optional<std::string>> savedEnvironment_;
};

// Small file helpers for tests.
std::string readFile(const std::filesystem::path& path);
void writeFile(const std::filesystem::path& path, std::string_view content);
