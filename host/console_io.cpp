#include "host/console_io.h"

#include "host/request_handler.h"
#include "host/standard_error_output_stream.h"
#include "platform/foundation/json.h"
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
    input.waitForDataInBackgroundAndNotify();
}

void ConsoleIO::readMessage(FileHandle& handle) {
    Data chunk = handle.availableData();
    Log log = currentLog();
    if (log.isEnabled())
        log.line("Received:" + debugDescription(stringWithUTF8(chunk)));
    if (chunk.empty())
        return; // end of input: a frame still incomplete is dropped with it
    frames_.append(chunk);
    handleFrames(log);
    handle.waitForDataInBackgroundAndNotify();
}

void ConsoleIO::handleFrames(Log& log) {
    while (auto frame = frames_.nextFrame()) {
        if (frame->kind == FrameReader::Frame::Kind::tooLong)
            log.line("Error");
        else
            handleMessage(std::move(frame->message), log);
    }
}

void ConsoleIO::handleMessage(std::string message, Log& log) {
    auto value =
        JSONSerialization::JSONObjectWithData(std::move(message), JSONSerialization::fragmentsAllowed);
    if (!value) {
        log.line("Error");
        return;
    }
    if (!value->is_object())
        return;
    if (log.isEnabled())
        log.line(JSONSerialization::description(*value));
    StandardErrorOutputStream replies(log, output_);
    RequestHandler(log, replies, workspace_).handleJsonResult(*value);
}

Log ConsoleIO::currentLog() {
    if (!documentsDirectory_)
        documentsDirectory_ = Log::documentsDirectory();
    return Log::current(*documentsDirectory_);
}
