// Feeds what a browser could write to standard input through the host's framing and request
// handling, once with the log on (messages read into values) and once with it off (messages read
// for their outline only). Both readings must send the same replies and open the same URLs, and
// the outline of the whole input as one text must agree with its value.
//
// Input layout: pieces, each [varint h][varint k, when h & 1][h >> 2 bytes] (varints: LEB128).
// A piece is its bytes, k times when h & 1; pieces make one write until a piece of no bytes with
// h & 2 (the byte 02) ends it. Browsers write whole messages, so a split is what gets marked.
//
// Costly requests are rationed, so that a few of them cannot take the run's time: each input draws
// a luck u in [0, 1) from its bytes. It gets its repeats only when u times what they add (bytes,
// frames) is at most repeatAllowance, and its stream ends before a frame length L for which
// u * L > costlyLength (ASan makes a large buffer cost milliseconds). A request thus costs on
// average no more than its allowance, and every input reproduces exactly. The seeds that ask for
// much carry a few trailing bytes for their luck: host_frames_seeds.py writes them.
#include "host/console_io.h"
#include "host/frame_reader.h"
#include "host/log_switch.h"
#include "platform/foundation/json.h"
#include "platform/foundation/json_outline.h"
#include "platform/foundation/run_loop.h"
#include "platform/foundation/scoped_descriptor.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <sys/ioctl.h>
#include <sys/mman.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

namespace fs = std::filesystem;

// Frames of megabytes, past the size from which the host's buffer is on huge pages. A whole frame
// of the largest length would take ASan some 20 s: that length is only declared.
constexpr std::size_t bytesPerConversation = std::size_t{8} << 20;
// The most a pipe holds without privileges: the host reads up to this much at once.
constexpr std::size_t pipeCapacity = std::size_t{1} << 20;
// What an input's repeats may cost on average, in bytes of stream.
constexpr double repeatAllowance = 64;
// What a frame costs the host, in bytes of stream: a few log lines, maybe a reply.
constexpr double frameWeight = 256;
// A frame length the host sets this much aside for costs ASan about as much as an ordinary input.
constexpr double costlyLength = 256 << 10;
constexpr std::size_t prefixLength = 4;
constexpr std::uintmax_t largestKeptLog = std::uintmax_t{16} << 20;

class RecordingWorkspace : public foundation::Workspace {
public:
    RecordingWorkspace() : Workspace("/nonexistent/opener") {}
    std::vector<std::string> opened;

protected:
    bool runOpener(const foundation::URL& url) override {
        opened.push_back(url.absoluteString());
        return true;
    }
};

void writeFile(const fs::path& path, std::string_view text) {
    int file = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (file < 0 || ::write(file, text.data(), text.size()) != static_cast<ssize_t>(text.size()))
        std::abort();
    ::close(file);
}

std::array<int, 2> makePipe() {
    std::array<int, 2> ends;
    if (::pipe2(ends.data(), O_CLOEXEC | O_NONBLOCK) != 0)
        std::abort();
    return ends;
}

// The host's standard input for every conversation: a pipe that each write is drained from, so
// that nothing is left in it between conversations; the end of input is read from a second pipe
// whose writing end is closed.
class StandardInput {
public:
    // The main run loop is made first, so that it outlives the handle that waits through it.
    StandardInput() : StandardInput((foundation::RunLoop::main(), makePipe()), makePipe()) {}
    StandardInput(const StandardInput&) = delete;
    StandardInput& operator=(const StandardInput&) = delete;

    int writer() const { return writer_.get(); }
    foundation::FileHandle& reader() { return reader_; }
    foundation::FileHandle& ended() { return ended_; }
    std::size_t waiting() const {
        int count = 0;
        if (::ioctl(reader_.fileDescriptor(), FIONREAD, &count) != 0)
            std::abort();
        return static_cast<std::size_t>(count);
    }

private:
    StandardInput(std::array<int, 2> data, std::array<int, 2> ended)
        : writer_(data[1]), reader_(data[0], true), ended_(ended[0], true) {
        ::close(ended[1]);
        if (::fcntl(writer_.get(), F_SETPIPE_SZ, static_cast<int>(pipeCapacity)) < 0)
            std::abort();
    }

    foundation::ScopedDescriptor writer_;
    foundation::FileHandle reader_;
    foundation::FileHandle ended_;
};

// A temporary home, removed when the process exits, with a working folder holding data.json and
// two Documents folders, one with the log switch on. Each conversation gets the switch of one of
// them: kept for the whole run, each folder is watched once, not once per input.
class Setting {
public:
    Setting()
        : home_(makeHome()), logging_(makeDocuments("logging", true)), quiet_(makeDocuments("quiet", false)) {
        ::setenv("HOME", home_.c_str(), 1);
        ::setenv("XDG_CONFIG_HOME", (home_ / ".config").c_str(), 1);
        writeFile(home_ / "data.json", "{\"a\":[1,\"\xC3\xA9\"]}\n");
        if (replies_.fileDescriptor() < 0)
            std::abort();
    }
    ~Setting() {
        std::error_code ignored;
        fs::remove_all(home_, ignored);
    }
    Setting(const Setting&) = delete;
    Setting& operator=(const Setting&) = delete;

    const fs::path& home() const { return home_; }
    const fs::path& fuzzerFolder() const { return fuzzerFolder_; }
    LogSwitch& logging() { return logging_; }
    LogSwitch& quiet() { return quiet_; }
    StandardInput& input() { return input_; }
    foundation::FileHandle& replies() { return replies_; }
    RecordingWorkspace& workspace() { return workspace_; }

    // What the host wrote since the last call.
    std::string takeReplies() {
        int file = replies_.fileDescriptor();
        off_t size = ::lseek(file, 0, SEEK_CUR);
        std::string replies(static_cast<std::size_t>(std::max<off_t>(size, 0)), '\0');
        if (size < 0 || (size > 0 && (::pread(file, replies.data(), replies.size(), 0) != size ||
                                      ::ftruncate(file, 0) != 0 || ::lseek(file, 0, SEEK_SET) != 0)))
            std::abort();
        return replies;
    }

    // Keeps the log from filling the disk; truncating it, unlike removing it, leaves the folder's
    // entries as they are, so the switch needs no test.
    void trimLogAfter(std::size_t bytesFed) {
        loggedSinceTrim_ += bytesFed + 256; // lines are logged even for an empty input
        if (loggedSinceTrim_ < (std::size_t{1} << 20))
            return;
        loggedSinceTrim_ = 0;
        fs::path log = home_ / "logging/log.txt";
        std::error_code error;
        if (fs::file_size(log, error) > largestKeptLog && !error)
            fs::resize_file(log, 0, error);
    }

private:
    static fs::path makeHome() {
        const char* temporary = std::getenv("TMPDIR");
        std::string pattern =
            std::string(temporary && *temporary ? temporary : "/tmp") + "/vantrel-fuzz-XXXXXX";
        if (::mkdtemp(pattern.data()) == nullptr)
            std::abort();
        return pattern;
    }
    std::string makeDocuments(const char* name, bool logOn) const {
        fs::path documents = home_ / name;
        fs::create_directories(logOn ? documents / "EnableLog" : documents);
        return documents;
    }

    fs::path fuzzerFolder_ = fs::current_path();
    fs::path home_;
    LogSwitch logging_;
    LogSwitch quiet_;
    StandardInput input_;
    foundation::FileHandle replies_{::memfd_create("replies", MFD_CLOEXEC), true};
    RecordingWorkspace workspace_;
    std::size_t loggedSinceTrim_ = 0;
};

// The host reads data.json from its working folder; libFuzzer needs its own back afterwards.
class WorkingFolder {
public:
    WorkingFolder(const fs::path& folder, const fs::path& back) : back_(back) { fs::current_path(folder); }
    ~WorkingFolder() { fs::current_path(back_); }
    WorkingFolder(const WorkingFolder&) = delete;
    WorkingFolder& operator=(const WorkingFolder&) = delete;

private:
    const fs::path& back_;
};

struct Piece {
    std::string_view bytes;
    std::uint64_t times;
    bool endsWrite;
};

// Reads the pieces of the input layout; a piece cut short by the end of the input keeps what is
// there, and a header cut short ends the input.
class PieceReader {
public:
    explicit PieceReader(std::span<const std::uint8_t> input) : input_(input) {}

    std::optional<Piece> next() {
        auto header = varint();
        auto times = header && (*header & 1) ? varint() : std::optional<std::uint64_t>(1);
        if (!header || !times)
            return std::nullopt;
        std::uint64_t length = *header >> 2;
        std::size_t present = static_cast<std::size_t>(std::min<std::uint64_t>(length, input_.size()));
        std::string_view bytes(reinterpret_cast<const char*>(input_.data()), present);
        input_ = input_.subspan(present);
        return Piece{bytes, *times, length == 0 && (*header & 2) != 0};
    }

private:
    // Little-endian groups of 7 bits, each byte but the last with its top bit set; bits beyond 63
    // are dropped.
    std::optional<std::uint64_t> varint() {
        std::uint64_t value = 0;
        for (unsigned shift = 0; !input_.empty(); shift += 7) {
            std::uint8_t byte = input_.front();
            input_ = input_.subspan(1);
            if (shift < 63)
                value |= static_cast<std::uint64_t>(byte & 0x7F) << shift;
            if (!(byte & 0x80))
                return value;
        }
        return std::nullopt;
    }

    std::span<const std::uint8_t> input_;
};

// A number in [0, 1) that only the input's bytes decide (FNV-1a, then a final mix).
double luckOf(std::span<const std::uint8_t> input) {
    std::uint64_t hash = 0xcbf29ce484222325;
    for (std::uint8_t byte : input)
        hash = (hash ^ byte) * 0x100000001b3;
    hash = (hash ^ (hash >> 30)) * 0xbf58476d1ce4e5b9;
    hash = (hash ^ (hash >> 27)) * 0x94d049bb133111eb;
    hash ^= hash >> 31;
    return static_cast<double>(hash >> 11) * 0x1.0p-53;
}

// What one conversation writes to the host: the bytes, and where each of the browser's writes ends.
struct Stream {
    std::string bytes;
    std::vector<std::size_t> writeEnds;

    void append(std::string_view piece, std::uint64_t times) {
        std::size_t room = bytesPerConversation - bytes.size();
        if (piece.empty() || room == 0)
            return;
        std::size_t total = times > room / piece.size() ? room : piece.size() * times;
        std::size_t start = bytes.size();
        bytes.reserve(start + total);
        bytes.append(piece.substr(0, total));
        while (bytes.size() - start < total) // doubling what is there: a few copies, not `times`
            bytes.append(bytes, start, std::min(bytes.size() - start, total - (bytes.size() - start)));
    }
    void endWrite() {
        if (bytes.size() > (writeEnds.empty() ? 0 : writeEnds.back()))
            writeEnds.push_back(bytes.size());
    }
    void cut(std::size_t end) {
        bytes.resize(end);
        std::erase_if(writeEnds, [end](std::size_t writeEnd) { return writeEnd >= end; });
        endWrite();
    }
};

// What the repeats add to the pieces written once, as far as a conversation takes it.
double repeatedBytes(const std::vector<Piece>& pieces) {
    double repeated = 0;
    for (const Piece& piece : pieces)
        repeated += static_cast<double>(piece.bytes.size()) *
                    static_cast<double>(std::max<std::uint64_t>(piece.times, 1) - 1);
    return std::min(repeated, static_cast<double>(bytesPerConversation));
}

Stream streamOf(const std::vector<Piece>& pieces, bool repeats) {
    Stream stream;
    for (const Piece& piece : pieces) {
        stream.append(piece.bytes, repeats ? piece.times : 1);
        if (piece.endsWrite)
            stream.endWrite();
    }
    stream.endWrite();
    return stream;
}

std::uint32_t lengthAt(const std::string& bytes, std::size_t offset) {
    auto byte = [&](std::size_t i) {
        return static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[offset + i]));
    };
    return byte(0) | byte(1) << 8 | byte(2) << 16 | byte(3) << 24;
}

struct FrameWalk {
    std::size_t frames = 0;                 // lengths the host reads to the end, or refuses
    std::optional<std::size_t> costlyFrame; // where the first length that asks too much starts
};

// Follows the frames as the host cuts them, each write being one read (of a pipe's worth at most)
// and a refused length dropping the rest of its read, up to a length for which luck * length is
// above costlyLength.
FrameWalk walkFrames(const Stream& stream, double luck) {
    FrameWalk walk;
    std::size_t frame = 0;
    std::size_t readStart = 0;
    for (std::size_t writeEnd : stream.writeEnds) {
        while (readStart < writeEnd) {
            std::size_t readEnd = std::min(writeEnd, readStart + pipeCapacity);
            while (frame + prefixLength <= readEnd) {
                std::uint32_t length = lengthAt(stream.bytes, frame);
                if (length > FrameReader::maximumMessageLength) {
                    ++walk.frames;
                    frame = readEnd;
                    break;
                }
                if (luck * length > costlyLength) {
                    walk.costlyFrame = frame;
                    return walk;
                }
                if (readEnd - frame - prefixLength < length)
                    break;
                ++walk.frames;
                frame += prefixLength + length;
            }
            readStart = readEnd;
        }
    }
    return walk;
}

// What the host does more for one stream than for another, in bytes, a frame counting as
// frameWeight bytes (its log lines and reply).
double extraCost(const Stream& stream, const FrameWalk& walk, const Stream& other,
                 const FrameWalk& otherWalk) {
    double bytes = static_cast<double>(stream.bytes.size()) - static_cast<double>(other.bytes.size());
    double frames = static_cast<double>(walk.frames) - static_cast<double>(otherWalk.frames);
    return bytes + frameWeight * frames;
}

Stream streamFor(std::span<const std::uint8_t> input) {
    std::vector<Piece> pieces;
    PieceReader reader(input);
    while (auto piece = reader.next())
        pieces.push_back(*piece);
    double luck = luckOf(input);
    Stream stream = streamOf(pieces, false);
    FrameWalk walk = walkFrames(stream, luck);
    // The bytes alone are known without building the stream: most inputs stop here.
    if (luck * repeatedBytes(pieces) <= repeatAllowance) {
        Stream repeated = streamOf(pieces, true);
        FrameWalk repeatedWalk = walkFrames(repeated, luck);
        if (luck * extraCost(repeated, repeatedWalk, stream, walk) <= repeatAllowance) {
            stream = std::move(repeated);
            walk = repeatedWalk;
        }
    }
    if (walk.costlyFrame)
        stream.cut(*walk.costlyFrame + prefixLength - 1); // the host never has the whole length
    return stream;
}

// One conversation, as the browser holds it: the host reads whenever the pipe is full and once a
// write is done, never while the pipe is empty (its read would wait).
class Conversation {
public:
    Conversation(Setting& setting, LogSwitch& logSwitch)
        : input_(setting.input()),
          console_(input_.reader(), setting.replies(), setting.workspace(), &logSwitch) {}

    void write(std::string_view bytes) {
        if (bytes.empty())
            return;
        while (!bytes.empty()) {
            ssize_t count = ::write(input_.writer(), bytes.data(), bytes.size());
            if (count > 0)
                bytes.remove_prefix(static_cast<std::size_t>(count));
            else if (errno == EAGAIN)
                hostReadsAll(); // the pipe is full
            else if (errno != EINTR)
                std::abort();
        }
        hostReadsAll();
    }
    void endInput() { console_.readMessage(input_.ended()); }

private:
    // Called with something in the pipe.
    void hostReadsAll() {
        do
            console_.readMessage(input_.reader());
        while (input_.waiting() > 0);
    }

    StandardInput& input_;
    ConsoleIO console_;
};

struct Outcome {
    std::string replies;
    std::vector<std::string> openedURLs;

    bool operator==(const Outcome&) const = default;
};

Outcome converse(const Stream& stream, Setting& setting, LogSwitch& logSwitch) {
    {
        Conversation conversation(setting, logSwitch);
        std::size_t writeStart = 0;
        for (std::size_t writeEnd : stream.writeEnds) {
            conversation.write(std::string_view(stream.bytes).substr(writeStart, writeEnd - writeStart));
            writeStart = writeEnd;
        }
        conversation.endInput();
    }
    return {setting.takeReplies(), std::exchange(setting.workspace().opened, {})};
}

// Both readings must see the same request: the host picks one by whether the log is on.
void checkOutlineAgreesWithValue(const std::uint8_t* data, std::size_t size) {
    using foundation::JSONSerialization;
    std::string text(reinterpret_cast<const char*>(data), size);
    auto value = JSONSerialization::JSONObjectWithData(text, JSONSerialization::fragmentsAllowed);
    auto outline = foundation::JSONOutline::readInPlace(text.data(), text.size());
    if (value.has_value() != outline.has_value())
        std::abort();
    if (!value)
        return;
    if (value->is_object() != outline->isObject)
        std::abort();
    bool hasKey = value->is_object() && !value->empty();
    if (hasKey != outline->firstKey.has_value() || (hasKey && value->begin().key() != *outline->firstKey))
        std::abort();
    bool hasString = hasKey && value->begin().value().is_string();
    if (hasString != outline->firstKeyString.has_value() ||
        (hasString && value->begin().value().get_ref<const std::string&>() != *outline->firstKeyString))
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static Setting setting;
    checkOutlineAgreesWithValue(data, size);
    Stream stream = streamFor({data, size});
    WorkingFolder workingFolder(setting.home(), setting.fuzzerFolder());
    Outcome logged = converse(stream, setting, setting.logging());
    Outcome quiet = converse(stream, setting, setting.quiet());
    if (logged != quiet)
        std::abort(); // the log must not change what the host does
    setting.trimLogAfter(stream.bytes.size());
    return 0;
}
