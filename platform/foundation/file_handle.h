#pragma once

#include "platform/foundation/data.h"
#include "platform/foundation/run_loop.h"

#include <initializer_list>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace foundation {

// A handle on a file descriptor. Handles made from a path own their descriptor and close it;
// the standard ones do not.
class FileHandle {
public:
    static constexpr std::string_view DataAvailableNotification = "NSFileHandleDataAvailableNotification";

    static FileHandle& standardInput();
    static FileHandle& standardOutput();
    // Opens a regular file for appending, creating it private to the user (mode 0600) when missing;
    // none for anything else (a folder, a FIFO, a device) and without waiting.
    static std::unique_ptr<FileHandle> forAppendingAtPath(const std::string& path);

    // From now on a write to a pipe whose reader has gone fails (writeData returns false) rather
    // than ending the process by SIGPIPE. Programs it starts still get the default.
    static void failWritesToClosedPipes();

    explicit FileHandle(int fd, bool closesOnDestruction = false);
    ~FileHandle();
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;

    int fileDescriptor() const { return fd_; }
    // Whether a person's terminal is on the other end, rather than a pipe or a file.
    bool isTerminal() const;

    // Posts DataAvailableNotification once, on the main run loop, when data or end of input is
    // there. Call again for the next one; a second call while armed changes nothing.
    void waitForDataInBackgroundAndNotify();
    // For an observer that reads at once (availableData waits for data itself): when this handle
    // is all the loop waits for, it may notify without waiting first, sparing a poll per read.
    void setObserverReadsAtOnce(bool readsAtOnce) { observerReadsAtOnce_ = readsAtOnce; }
    // What one read returns now (blocking until something is there): empty only at end of input.
    Data availableData();
    // The same, read into the given space rather than copied: the number of bytes read, 0 only
    // at end of input (or when the space is empty).
    std::size_t availableData(std::span<char> into);
    // Writes every byte of the pieces, in order, as one gathered write where the system allows.
    // Returns false when the descriptor refuses them (e.g. the reader has gone).
    bool writeData(std::span<const ByteView> pieces);
    bool writeData(std::initializer_list<ByteView> pieces) {
        return writeData({pieces.begin(), pieces.size()});
    }
    bool writeData(ByteView bytes) { return writeData({bytes}); }

private:
    void notifyDataAvailable();

    int fd_;
    bool closesOnDestruction_;
    std::unique_ptr<char[]> readBuffer_; // made on the first read, left uninitialised
    std::optional<RunLoop::WatchId> watch_;
    bool observerReadsAtOnce_ = false;
};

} // namespace foundation
