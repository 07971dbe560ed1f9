#pragma once

#include <gtest/gtest.h>
#include <string_view>
#include <unistd.h>

// A pipe whose ends close when the test ends, unless a test closed them first.
class Pipe {
public:
    Pipe() {
        int ends[2];
        EXPECT_EQ(::pipe(ends), 0);
        readEnd_ = ends[0];
        writeEnd_ = ends[1];
    }
    ~Pipe() {
        closeReadEnd();
        closeWriteEnd();
    }
    Pipe(const Pipe&) = delete;
    Pipe& operator=(const Pipe&) = delete;

    int readEnd() const { return readEnd_; }
    int writeEnd() const { return writeEnd_; }
    void write(std::string_view text) const {
        EXPECT_EQ(::write(writeEnd_, text.data(), text.size()), static_cast<ssize_t>(text.size()));
    }
    void closeReadEnd() { closeEnd(readEnd_); }
    void closeWriteEnd() { closeEnd(writeEnd_); }

private:
    static void closeEnd(int& fd) {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }

    int readEnd_ = -1;
    int writeEnd_ = -1;
};
