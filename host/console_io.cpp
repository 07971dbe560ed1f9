#include "host/console_io.h"

#include "host/request_handler.h"
#include "host/standard_error_output_stream.h"
#include "platform/foundation/json.h"
#include "platform/foundation/json_outline.h"
#include "platform/foundation/string_encoding.h"

using namespace foundation;

ConsoleIO::~ConsoleIO() {
    if (observer_)
        NotificationCenter::defaultCenter().removeObserver(*observer_);
}

void ConsoleIO::startReading() {
    FileHandle& input = input_;
    observer_ = NotificationCenter::defaultCenter().addObserverForName(
        std::string(FileHandle::DataAvailableNotification), &input,
        [this, &input](const Notification&) { readMessage(input); });
    input.setObserverReadsAtOnce(true); // readMessage's first step is a read
    input.waitForDataInBackgroundAndNotify();
}

void ConsoleIO::readMessage(FileHandle& handle) {
    std::span<char> space = frames_.space();
    std::size_t count = handle.availableData(space);
    Log& log = currentLog();
    if (log.isEnabled())
        log.line("Received:" + debugDescription(stringWithUTF8(Data(space.data(), count))));
    if (count == 0)
        return; // end of input: a frame still incomplete is dropped with it
    frames_.commit(count);
    handleFrames(log);
    if (replies_.readerHasGone())
        return; // the conversation is over: nobody reads what the next request would bring
    handle.waitForDataInBackgroundAndNotify();
}

void ConsoleIO::handleFrames(Log& log) {
    while (auto frame = frames_.nextFrameInPlace()) {
        replies_.expectMore(frames_.hasFrame());
        if (frame->kind == FrameReader::Kind::tooLong)
            log.line("Error");
        else if (log.isEnabled())
            handleMessageWithLog(frame->message, log);
        else
            handleMessage(frame->message, log);
        noteMessage();
    }
    replies_.flush();
}

// A second message makes this a conversation (a port) rather than a one-shot request, which is
// when watching the log switch pays.
void ConsoleIO::noteMessage() {
    if (++messages_ == 2)
        logSwitch().watchFolder();
}

// Without a log nothing needs the message's value: only its outline is read, in place.
void ConsoleIO::handleMessage(std::span<char> message, Log& log) {
    auto outline = JSONOutline::readInPlace(message.data(), message.size());
    if (!outline)
        return;
    StandardErrorOutputStream replies(log, replies_);
    RequestHandler(log, replies, workspace_).handleOutline(*outline);
}

void ConsoleIO::handleMessageWithLog(std::span<char> message, Log& log) {
    auto value = JSONSerialization::JSONObjectInPlace(message.data(), message.size(),
                                                      JSONSerialization::fragmentsAllowed);
    if (!value) {
        log.line("Error");
        return;
    }
    if (!value->is_object())
        return;
    std::string description = JSONSerialization::description(*value);
    log.line(description);
    StandardErrorOutputStream replies(log, replies_);
    RequestHandler(log, replies, workspace_).handleJsonResult(*value, description);
}

Log& ConsoleIO::currentLog() {
    return logSwitch().current();
}

LogSwitch& ConsoleIO::logSwitch() {
    if (!logSwitch_)
        logSwitch_ = &ownSwitch_.emplace(Log::documentsDirectory());
    return *logSwitch_;
}
