#include "platform/appkit/interface/interface_document.h"

#include <array>
#include <initializer_list>

namespace appkit {

namespace {

using foundation::JSONValue;

constexpr std::size_t longestQuote = 60;

const JSONValue* member(const JSONValue& object, std::string_view key) {
    auto found = object.find(std::string(key));
    return found == object.end() ? nullptr : &*found;
}

// A misspelt member would otherwise be ignored without a word.
std::optional<std::string> unknownMember(const JSONValue& object,
                                         std::initializer_list<std::string_view> known) {
    for (const auto& [key, value] : object.items()) {
        bool isKnown = false;
        for (std::string_view name : known)
            isKnown = isKnown || key == name;
        if (!isKnown)
            return key;
    }
    return std::nullopt;
}

const std::string* stringMember(const JSONValue& object, std::string_view key) {
    const JSONValue* value = member(object, key);
    return value != nullptr && value->is_string() ? &value->get_ref<const std::string&>() : nullptr;
}

std::string quote(std::string_view text) {
    return "\"" + std::string(text) + "\"";
}

std::string ordinal(std::size_t position) {
    return "#" + std::to_string(position + 1);
}

class DocumentReader {
public:
    explicit DocumentReader(std::string& error) : error_(error) {}

    std::optional<InterfaceDocument> read(const JSONValue& root);

private:
    bool readObjects(const JSONValue& list);
    bool readObject(const JSONValue& entry, std::size_t position);
    bool readSubviewIds(const JSONValue& list, InterfaceObjectDescription& object);
    template <typename Connection>
    bool readConnections(const JSONValue& list, std::string_view singular, std::string_view plural,
                         const std::array<std::string_view, 3>& keys, std::vector<Connection>& into);
    bool checkSubviewTrees();
    bool checkLoops(const std::vector<std::optional<std::size_t>>& parents);
    bool fail(std::string message) {
        error_ = std::move(message);
        return false;
    }

    InterfaceDocument document_;
    std::string& error_;
};

std::optional<InterfaceDocument> DocumentReader::read(const JSONValue& root) {
    if (!root.is_object()) {
        fail("must be a JSON object");
        return std::nullopt;
    }
    if (auto unknown = unknownMember(root, {"objects", "outlets", "actions"})) {
        fail("unknown entry " + quote(*unknown) + " (a file has \"objects\", \"outlets\" and \"actions\")");
        return std::nullopt;
    }
    const JSONValue empty = JSONValue::array();
    auto list = [&](std::string_view key) -> const JSONValue& {
        const JSONValue* value = member(root, key);
        return value != nullptr ? *value : empty;
    };
    if (!readObjects(list("objects")) ||
        !readConnections(list("outlets"), "outlet", "outlets", {"object", "key", "destination"},
                         document_.outlets) ||
        !readConnections(list("actions"), "action", "actions", {"object", "action", "target"},
                         document_.actions) ||
        !checkSubviewTrees())
        return std::nullopt;
    return std::move(document_);
}

bool DocumentReader::readObjects(const JSONValue& list) {
    if (!list.is_array())
        return fail("\"objects\" must be an array");
    if (list.size() > InterfaceDocument::maximumObjects)
        return fail("more than " + std::to_string(InterfaceDocument::maximumObjects) + " objects");
    document_.objects.reserve(list.size());
    for (std::size_t position = 0; position < list.size(); ++position) {
        if (!readObject(list[position], position))
            return false;
    }
    return true;
}

bool DocumentReader::readObject(const JSONValue& entry, std::size_t position) {
    if (!entry.is_object())
        return fail("object " + ordinal(position) + " must be a JSON object");
    const std::string* id = stringMember(entry, "id");
    if (id == nullptr || id->empty())
        return fail("object " + ordinal(position) + ": \"id\" must be a non-empty string");
    const std::string* className = stringMember(entry, "class");
    if (className == nullptr)
        return fail("object " + quote(*id) + ": \"class\" must be a string");
    std::string context = describeObject(*id, *className) + ": ";
    if (*id == InterfaceDocument::ownerId)
        return fail(context + "the id \"owner\" is reserved for the object the file is loaded for");
    if (!document_.indexById.emplace(*id, position).second)
        return fail(context + "the id is already used by an earlier object");
    if (auto unknown = unknownMember(entry, {"id", "class", "attributes", "properties", "subviews"}))
        return fail(context + "unknown entry " + quote(*unknown));

    InterfaceObjectDescription& object = document_.objects.emplace_back();
    object.id = *id;
    object.className = *className;
    object.classInfo = Runtime::shared().classNamed(*className);
    if (object.classInfo == nullptr)
        return fail(context + "no such class");
    object.attributes = member(entry, "attributes");
    if (object.attributes != nullptr && !object.attributes->is_object())
        return fail(context + "\"attributes\" must be a JSON object");
    object.properties = member(entry, "properties");
    if (object.properties != nullptr && !object.properties->is_object())
        return fail(context + "\"properties\" must be a JSON object");
    const JSONValue* subviews = member(entry, "subviews");
    return subviews == nullptr || readSubviewIds(*subviews, object);
}

bool DocumentReader::readSubviewIds(const JSONValue& list, InterfaceObjectDescription& object) {
    std::string context = describeObject(object.id, object.className) + ": ";
    if (!list.is_array())
        return fail(context + "\"subviews\" must be an array of ids");
    if (list.size() > InterfaceDocument::maximumObjects)
        return fail(context + "more than " + std::to_string(InterfaceDocument::maximumObjects) + " subviews");
    for (const JSONValue& id : list) {
        if (!id.is_string())
            return fail(context + "\"subviews\" must be an array of ids, not " + quoteJSON(id));
        object.subviews.push_back(id.get<std::string>());
    }
    return true;
}

// Outlets and actions are written alike: objects of three strings, named by `keys`.
template <typename Connection>
bool DocumentReader::readConnections(const JSONValue& list, std::string_view singular,
                                     std::string_view plural, const std::array<std::string_view, 3>& keys,
                                     std::vector<Connection>& into) {
    if (!list.is_array())
        return fail(quote(plural) + " must be an array");
    if (list.size() > InterfaceDocument::maximumConnections)
        return fail("more than " + std::to_string(InterfaceDocument::maximumConnections) + " " +
                    std::string(plural));
    for (std::size_t position = 0; position < list.size(); ++position) {
        const JSONValue& entry = list[position];
        std::array<const std::string*, 3> values{};
        if (entry.is_object()) {
            for (std::size_t index = 0; index < keys.size(); ++index)
                values[index] = stringMember(entry, keys[index]);
        }
        if (values[0] == nullptr || values[1] == nullptr || values[2] == nullptr ||
            unknownMember(entry, {keys[0], keys[1], keys[2]}))
            return fail(std::string(singular) + " " + ordinal(position) + " must be a JSON object of " +
                        quote(keys[0]) + ", " + quote(keys[1]) + " and " + quote(keys[2]) + " strings");
        into.push_back({*values[0], *values[1], *values[2]});
    }
    return true;
}

// Subviews name objects of the file, each at most once, and never a view that holds the parent.
bool DocumentReader::checkSubviewTrees() {
    std::vector<std::optional<std::size_t>> parents(document_.objects.size());
    for (std::size_t index = 0; index < document_.objects.size(); ++index) {
        const InterfaceObjectDescription& parent = document_.objects[index];
        for (const std::string& id : parent.subviews) {
            std::string subview =
                describeObject(parent.id, parent.className) + ": subview " + quote(id) + ": ";
            if (id == InterfaceDocument::ownerId)
                return fail(subview + "the owner is not created by the file and cannot be a subview");
            auto child = document_.indexOf(id);
            if (!child)
                return fail(subview + "no such object");
            if (parents[*child])
                return fail(subview + "already has a superview, " +
                            quote(document_.objects[*parents[*child]].id));
            parents[*child] = index;
        }
    }
    return checkLoops(parents);
}

// Each view has at most one parent here, so walking up from every view finds a loop in linear time.
bool DocumentReader::checkLoops(const std::vector<std::optional<std::size_t>>& parents) {
    enum class Visit : unsigned char { no, onPath, done };
    std::vector<Visit> visits(parents.size(), Visit::no);
    std::vector<std::size_t> path;
    for (std::size_t start = 0; start < parents.size(); ++start) {
        std::optional<std::size_t> index = start;
        while (index && visits[*index] == Visit::no) {
            visits[*index] = Visit::onPath;
            path.push_back(*index);
            index = parents[*index];
        }
        if (index && visits[*index] == Visit::onPath) {
            const InterfaceObjectDescription& view = document_.objects[*index];
            const InterfaceObjectDescription& parent = document_.objects[*parents[*index]];
            return fail(describeObject(parent.id, parent.className) + ": subview " + quote(view.id) +
                        ": a view cannot be inside itself");
        }
        for (std::size_t visited : path)
            visits[visited] = Visit::done;
        path.clear();
    }
    return true;
}

} // namespace

std::optional<std::size_t> InterfaceDocument::indexOf(std::string_view id) const {
    auto found = indexById.find(id);
    return found == indexById.end() ? std::nullopt : std::optional(found->second);
}

std::optional<InterfaceDocument> readInterfaceDocument(const foundation::JSONValue& root,
                                                       std::string& error) {
    return DocumentReader(error).read(root);
}

std::string describeObject(std::string_view id, std::string_view className) {
    return "object " + quote(id) + " (" + std::string(className) + ")";
}

std::string quoteJSON(const foundation::JSONValue& value) {
    std::string text = foundation::JSONSerialization::description(value);
    if (text.size() <= longestQuote)
        return text;
    std::size_t end = longestQuote;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
        --end; // keep whole UTF-8 characters
    return text.substr(0, end) + "…";
}

} // namespace appkit
