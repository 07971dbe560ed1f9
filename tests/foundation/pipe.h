#pragma once

#include <gtest/gtest.h>
#include <string_view>
#include <unistd.h>

// A pipe whose ends close when the test ends, unless a test closed them first.
struct Pipe {
    int ends[2] = {-1, -1};
    Pipe() { EXPECT_EQ(::pipe(ends), 0); }
    ~Pipe() {
        closeEnd(0);
        closeEnd(1);
    }
    int readEnd() const { return ends[0]; }
    int writeEnd() const { return ends[1]; }
    void write(std::string_view text) const {
        EXPECT_EQ(::write(ends[1], text.data(), text.size()), static_cast<ssize_t>(text.size()));
    }
    void closeEnd(int which) {
        if (ends[which] >= 0)
            ::close(ends[which]);
        ends[which] = -1;
    }
};
