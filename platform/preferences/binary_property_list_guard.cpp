#include "platform/preferences/property_list_guard.h"
#include "platform/preferences/property_list_limits.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <vector>

namespace foundation {

namespace {

constexpr std::string_view magic = "bplist00";
constexpr std::size_t trailerSize = 32;

std::uint64_t bigEndian(std::string_view bytes, std::size_t position, std::size_t width) {
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < width; ++i)
        value = (value << 8) | static_cast<unsigned char>(bytes[position + i]);
    return value;
}

// The references an array, set or dictionary holds: where they start and how many.
struct References {
    std::size_t start = 0;
    std::uint64_t count = 0;
    bool ofDictionary = false; // the first half of the references are then its keys
};

// The object table of a binary list, every read checked against the bounds the trailer gives.
class ObjectTable {
public:
    static std::optional<ObjectTable> read(std::string_view bytes, std::string* reason);

    std::uint64_t objectCount() const { return objectCount_; }
    std::uint64_t root() const { return root_; }
    // None when the object's offset or its list of references lies outside the object area.
    std::optional<References> referencesOf(std::uint64_t object) const;
    // None when a reference names no object.
    std::optional<std::uint64_t> reference(const References& references, std::uint64_t index) const;
    // libplist 2.2 aborts the process on a key holding a NUL; an object that is no text is no key.
    bool isUsableKey(std::uint64_t object) const;

private:
    std::optional<std::uint64_t> countAfterMarker(std::size_t& position, unsigned smallCount) const;

    std::string_view bytes_;
    std::size_t offsetSize_ = 0;
    std::size_t referenceSize_ = 0;
    std::uint64_t objectCount_ = 0;
    std::uint64_t root_ = 0;
    std::size_t tableStart_ = 0; // objects live in [magic.size(), tableStart_)
};

std::optional<ObjectTable> ObjectTable::read(std::string_view bytes, std::string* reason) {
    auto refuse = [reason](const char* why) {
        if (reason)
            *reason = why;
        return std::nullopt;
    };
    if (bytes.size() < magic.size() + trailerSize || !bytes.starts_with(magic))
        return refuse("not a binary property list of version 00");
    ObjectTable table;
    table.bytes_ = bytes;
    std::size_t trailer = bytes.size() - trailerSize;
    table.offsetSize_ = static_cast<unsigned char>(bytes[trailer + 6]);
    table.referenceSize_ = static_cast<unsigned char>(bytes[trailer + 7]);
    table.objectCount_ = bigEndian(bytes, trailer + 8, 8);
    table.root_ = bigEndian(bytes, trailer + 16, 8);
    std::uint64_t tableStart = bigEndian(bytes, trailer + 24, 8);
    if (table.offsetSize_ < 1 || table.offsetSize_ > 8 || table.referenceSize_ < 1 ||
        table.referenceSize_ > 8)
        return refuse("its trailer gives impossible offset or reference sizes");
    if (tableStart < magic.size() || tableStart >= trailer)
        return refuse("its offset table lies outside the file");
    table.tableStart_ = static_cast<std::size_t>(tableStart);
    if (table.objectCount_ == 0 || table.objectCount_ > (trailer - table.tableStart_) / table.offsetSize_)
        return refuse("its offset table does not fit the file");
    if (table.root_ >= table.objectCount_)
        return refuse("its root object is not in the offset table");
    return table;
}

std::optional<std::uint64_t> ObjectTable::countAfterMarker(std::size_t& position, unsigned smallCount) const {
    if (smallCount != 0x0F)
        return smallCount;
    // A larger count follows as an integer object: marker 0x1n, then 2^n big-endian bytes.
    if (position >= tableStart_)
        return std::nullopt;
    unsigned marker = static_cast<unsigned char>(bytes_[position]);
    std::size_t width = std::size_t{1} << (marker & 0x0F);
    if ((marker & 0xF0) != 0x10 || width > 8 || tableStart_ - position - 1 < width)
        return std::nullopt;
    std::uint64_t count = bigEndian(bytes_, position + 1, width);
    position += 1 + width;
    return count;
}

std::optional<References> ObjectTable::referencesOf(std::uint64_t object) const {
    std::uint64_t offset = bigEndian(bytes_, tableStart_ + object * offsetSize_, offsetSize_);
    if (offset < magic.size() || offset >= tableStart_)
        return std::nullopt;
    auto position = static_cast<std::size_t>(offset);
    unsigned marker = static_cast<unsigned char>(bytes_[position++]);
    unsigned kind = marker & 0xF0;
    bool isDictionary = kind == 0xD0;
    if (kind != 0xA0 && kind != 0xC0 && !isDictionary)
        return References{}; // not a container: it holds no references
    auto count = countAfterMarker(position, marker & 0x0F);
    std::uint64_t room = (tableStart_ - position) / referenceSize_;
    if (!count || *count > (isDictionary ? room / 2 : room))
        return std::nullopt;
    return References{position, isDictionary ? *count * 2 : *count, isDictionary};
}

bool ObjectTable::isUsableKey(std::uint64_t object) const {
    std::uint64_t offset = bigEndian(bytes_, tableStart_ + object * offsetSize_, offsetSize_);
    if (offset < magic.size() || offset >= tableStart_)
        return false;
    auto position = static_cast<std::size_t>(offset);
    unsigned marker = static_cast<unsigned char>(bytes_[position++]);
    bool isASCII = (marker & 0xF0) == 0x50, isUTF16 = (marker & 0xF0) == 0x60;
    auto count = countAfterMarker(position, marker & 0x0F);
    std::uint64_t unit = isUTF16 ? 2 : 1;
    if (!(isASCII || isUTF16) || !count || *count > (tableStart_ - position) / unit)
        return false;
    std::string_view text = bytes_.substr(position, static_cast<std::size_t>(*count * unit));
    if (isASCII)
        return text.find('\0') == std::string_view::npos;
    for (std::size_t i = 0; i < text.size(); i += 2)
        if (text[i] == '\0' && text[i + 1] == '\0')
            return false;
    return true;
}

std::optional<std::uint64_t> ObjectTable::reference(const References& references, std::uint64_t index) const {
    std::uint64_t object = bigEndian(bytes_, references.start + index * referenceSize_, referenceSize_);
    if (object >= objectCount_)
        return std::nullopt;
    return object;
}

// Walks the object graph from the root without recursion, once per object: each finished object
// knows how deep the tree below it is and how many values it expands to.
std::string deeperThanTheLimit() {
    return "nested deeper than " + std::to_string(maximumPropertyListDepth) + " levels";
}

class ShapeWalk {
public:
    explicit ShapeWalk(const ObjectTable& table)
        : table_(table), state_(table.objectCount(), State::unseen), depth_(table.objectCount(), 0),
          values_(table.objectCount(), 0), keyChecked_(table.objectCount(), false) {}

    bool run(std::string* reason);

private:
    enum class State : std::uint8_t { unseen, open, finished };
    struct Frame {
        std::uint64_t object;
        References references;
        std::uint64_t next = 0;
    };

    bool enter(std::uint64_t object);
    bool checkKey(std::uint64_t object);
    void finish(std::uint64_t object);
    void addChild(std::uint64_t parent, std::uint64_t child);
    bool refuse(std::string* reason, const std::string& why) const;

    const ObjectTable& table_;
    std::vector<State> state_;
    std::vector<std::uint16_t> depth_;
    std::vector<std::uint32_t> values_; // saturates just past the limit
    std::vector<bool> keyChecked_;
    std::vector<Frame> stack_;
    std::string fault_;
};

bool ShapeWalk::enter(std::uint64_t object) {
    if (state_[object] == State::open) {
        fault_ = "an object contains itself";
        return false;
    }
    if (stack_.size() >= maximumPropertyListDepth) {
        fault_ = deeperThanTheLimit();
        return false;
    }
    auto references = table_.referencesOf(object);
    if (!references) {
        fault_ = "an object lies outside the object area";
        return false;
    }
    state_[object] = State::open;
    stack_.push_back(Frame{object, *references});
    return true;
}

bool ShapeWalk::checkKey(std::uint64_t object) {
    if (keyChecked_[object])
        return true; // keys are often shared: look at each once
    keyChecked_[object] = true;
    return table_.isUsableKey(object);
}

void ShapeWalk::finish(std::uint64_t object) {
    state_[object] = State::finished;
    values_[object] += 1; // the object itself
    if (!stack_.empty())
        addChild(stack_.back().object, object);
}

void ShapeWalk::addChild(std::uint64_t parent, std::uint64_t child) {
    depth_[parent] = std::max<std::uint16_t>(depth_[parent], depth_[child] + 1);
    std::uint64_t total = std::uint64_t{values_[parent]} + values_[child];
    values_[parent] =
        static_cast<std::uint32_t>(std::min<std::uint64_t>(total, maximumPropertyListValueCount + 1));
}

bool ShapeWalk::run(std::string* reason) {
    if (!enter(table_.root()))
        return refuse(reason, fault_);
    while (!stack_.empty()) {
        Frame& frame = stack_.back();
        if (frame.next == frame.references.count) {
            std::uint64_t done = frame.object;
            stack_.pop_back();
            finish(done);
            if (values_[done] > maximumPropertyListValueCount)
                return refuse(reason, "it expands to more than " +
                                          std::to_string(maximumPropertyListValueCount) + " values");
            continue;
        }
        bool isKey = frame.references.ofDictionary && frame.next < frame.references.count / 2;
        auto child = table_.reference(frame.references, frame.next++);
        if (!child)
            return refuse(reason, "a reference names no object");
        if (isKey && !checkKey(*child))
            return refuse(reason, "a dictionary key is not text, or holds a NUL character");
        if (state_[*child] == State::finished) {
            // Shared: libplist copies it out once more, here as deep as this path puts it.
            if (stack_.size() + 1 + depth_[*child] > maximumPropertyListDepth)
                return refuse(reason, deeperThanTheLimit());
            addChild(frame.object, *child);
        } else if (!enter(*child)) {
            return refuse(reason, fault_);
        }
    }
    return true;
}

bool ShapeWalk::refuse(std::string* reason, const std::string& why) const {
    if (reason)
        *reason = why;
    return false;
}

} // namespace

bool binaryPropertyListIsWithinLimits(std::string_view bytes, std::string* reason) {
    auto table = ObjectTable::read(bytes, reason);
    return table && ShapeWalk(*table).run(reason);
}

} // namespace foundation
