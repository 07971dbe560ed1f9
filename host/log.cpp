#include "host/log.h"

#include "platform/foundation/file_handle.h"
#include "platform/foundation/file_manager.h"

using namespace foundation;

std::optional<std::string> Log::documentsDirectory() {
    auto urls = FileManager::defaultManager().URLsForDirectory(SearchPathDirectory::documentDirectory,
                                                               SearchPathDomainMask::userDomainMask);
    if (urls.empty())
        return std::nullopt;
    return urls.front().path();
}

Log Log::current(const std::optional<std::string>& documentsDirectory) {
    if (!documentsDirectory ||
        !FileManager::defaultManager().fileExistsAtPath(switchPath(*documentsDirectory)))
        return Log(std::nullopt);
    return Log(*documentsDirectory + "/log.txt");
}

void Log::write(std::string_view text) {
    if (!logFile_)
        return;
    // A line that cannot be written is lost; the host's work goes on regardless.
    if (auto file = FileHandle::forAppendingAtPath(*logFile_))
        file->writeData(text);
}

void Log::line(std::string_view message) {
    if (!logFile_)
        return;
    std::string text;
    text.reserve(message.size() + 1);
    text.append(message).push_back('\n');
    write(text);
}
