#include "platform/appkit/interface/coder.h"

namespace appkit {

const foundation::JSONValue* Coder::find(std::string_view key) const {
    if (!attributes_.is_object())
        return nullptr;
    auto found = attributes_.find(std::string(key));
    return found == attributes_.end() ? nullptr : &*found;
}

template <typename T> std::optional<T> Coder::decode(std::string_view key, ValueKind kind) const {
    const auto* json = find(key);
    if (json == nullptr)
        return std::nullopt;
    std::string fault;
    auto value = shared_->reader.read(*json, kind, fault);
    if (!value) {
        fail("\"" + std::string(key) + "\" " + fault);
        return std::nullopt;
    }
    return std::get<T>(*value);
}

std::optional<double> Coder::decodeNumber(std::string_view key) const {
    return decode<double>(key, ValueKind::number);
}

std::optional<bool> Coder::decodeBool(std::string_view key) const {
    return decode<bool>(key, ValueKind::boolean);
}

std::optional<std::string> Coder::decodeString(std::string_view key) const {
    return decode<std::string>(key, ValueKind::string);
}

std::optional<quartz::Rect> Coder::decodeRect(std::string_view key) const {
    return decode<quartz::Rect>(key, ValueKind::rect);
}

std::optional<quartz::Image> Coder::decodeImage(std::string_view key) const {
    return decode<quartz::Image>(key, ValueKind::image);
}

std::optional<Coder> Coder::decodeObject(std::string_view key) const {
    const auto* value = find(key);
    if (value == nullptr)
        return std::nullopt;
    if (!value->is_object()) {
        fail("\"" + std::string(key) + "\" must be an object");
        return std::nullopt;
    }
    return Coder(*value, shared_);
}

} // namespace appkit
