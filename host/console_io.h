#pragma once

#include "host/frame_reader.h"
#include "host/log.h"
#include "host/log_switch.h"
#include "host/reply_batch.h"
#include "platform/foundation/file_handle.h"
#include "platform/foundation/notification_center.h"
#include "platform/foundation/workspace.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>

// Reads the browser's frames from standard input as they arrive and hands each message to
// request handling, one read at a time: the next read is armed only once every complete frame
// of this one has been handled and its replies written.
class ConsoleIO {
public:
    // A caller that holds many conversations may give them one log switch, so that its folder is
    // watched once rather than once per conversation; by default the conversation makes its own.
    ConsoleIO(foundation::FileHandle& input = foundation::FileHandle::standardInput(),
              foundation::FileHandle& output = foundation::FileHandle::standardOutput(),
              foundation::Workspace& workspace = foundation::Workspace::sharedWorkspace(),
              LogSwitch* logSwitch = nullptr)
        : input_(input), replies_(output), workspace_(workspace), logSwitch_(logSwitch) {}
    ~ConsoleIO();
    ConsoleIO(const ConsoleIO&) = delete;
    ConsoleIO& operator=(const ConsoleIO&) = delete;

    void startReading();
    // Handles one read of the handle. At end of input it arms nothing more, so the run loop,
    // with nothing left to wait for, returns.
    void readMessage(foundation::FileHandle& handle);

private:
    void handleFrames(Log& log);
    void noteMessage();
    void handleMessage(std::span<char> message, Log& log);
    void handleMessageWithLog(std::span<char> message, Log& log);
    Log& currentLog();
    LogSwitch& logSwitch();

    foundation::FileHandle& input_;
    ReplyBatch replies_;
    foundation::Workspace& workspace_;
    FrameReader frames_;
    std::optional<foundation::NotificationCenter::ObserverToken> observer_;
    LogSwitch* logSwitch_;               // the caller's, or ownSwitch_ once made
    std::optional<LogSwitch> ownSwitch_; // the Documents folder is looked up on first use
    std::uint64_t messages_ = 0;
};
