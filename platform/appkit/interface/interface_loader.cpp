#include "platform/appkit/interface/interface_loader.h"

#include "platform/appkit/interface/interface_assembly.h"
#include "platform/appkit/interface/interface_document.h"
#include "platform/foundation/json.h"

#include <system_error>

namespace appkit {

namespace {

std::optional<LoadedInterface> refuse(std::string* error, std::string_view fileName,
                                      const std::string& fault) {
    if (error != nullptr)
        *error = std::string(fileName) + ": " + fault;
    return std::nullopt;
}

std::string sizeLimit() {
    return "is larger than " + std::to_string(maximumInterfaceFileSize / (1024 * 1024)) + " MiB";
}

} // namespace

std::shared_ptr<Object> LoadedInterface::objectWithId(std::string_view id) const {
    for (std::size_t index = 0; index < ids.size() && index < topLevelObjects.size(); ++index) {
        if (ids[index] == id)
            return topLevelObjects[index];
    }
    return nullptr;
}

std::optional<LoadedInterface> loadInterfaceFile(const std::filesystem::path& file,
                                                 std::shared_ptr<Object> owner, std::string* error,
                                                 const std::filesystem::path& resourceFolder) {
    std::string fileName = file.string();
    std::error_code sizeError;
    auto size = std::filesystem::file_size(file, sizeError);
    if (!sizeError && size > maximumInterfaceFileSize)
        return refuse(error, fileName, sizeLimit());
    auto text = foundation::dataWithContentsOfFile(fileName);
    if (!text)
        return refuse(error, fileName, "cannot be read");
    auto folder = resourceFolder.empty() ? file.parent_path() : resourceFolder;
    return loadInterfaceData(std::move(*text), fileName, folder, std::move(owner), error);
}

std::optional<LoadedInterface> loadInterfaceData(foundation::Data text, std::string_view fileName,
                                                 const std::filesystem::path& resourceFolder,
                                                 std::shared_ptr<Object> owner, std::string* error) {
    if (text.size() > maximumInterfaceFileSize)
        return refuse(error, fileName, sizeLimit());
    auto root = foundation::JSONSerialization::JSONObjectWithData(std::move(text),
                                                                  foundation::JSONSerialization::none);
    if (!root)
        return refuse(error, fileName, "is not well-formed JSON");
    std::string fault;
    auto document = readInterfaceDocument(*root, fault);
    if (!document)
        return refuse(error, fileName, fault);
    auto loaded = InterfaceAssembly(*document, resourceFolder, std::move(owner)).assemble(fault);
    if (!loaded)
        return refuse(error, fileName, fault);
    return loaded;
}

} // namespace appkit
