#include "infra/resource_manager.h"

#include <iterator>

#include "infra/checked.h"
#include "infra/data_dirs.h"
#include "infra/event_log.h"

namespace orbitfall {

namespace {

const char* const kCategory = "Resource";

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

// From the last "." to the end, dot included; empty without a dot.
std::string ExtensionOf(const std::string& fileName) {
    const std::size_t dot = fileName.rfind('.');
    return dot == std::string::npos ? std::string() : fileName.substr(dot);
}

[[noreturn]] void DuplicateKey() { throw Exception("String list does not allow duplicates"); }

}  // namespace

TResource::TResource(TResourceManager& manager, const std::string& fileName)
    : Manager(manager), FileName(fileName) {
    Manager.Enter(*this);
}

TResource::~TResource() { Manager.Leave(*this); }

std::int32_t TResource::Release() { return Manager.Release(this); }

TResourceManager::TResourceManager() {
    Log(kCategory, 1, "ResourceManager creating...");
    Log(kCategory, 1, "ResourceManager created");
}

TResourceManager::~TResourceManager() {
    // A destructor has nobody to report a failed log write to; the freeing
    // itself must happen whatever the log does.
    auto logQuietly = [](std::uint8_t level, const std::string& text) {
        try {
            Log(kCategory, level, text);
        } catch (const Exception&) {
        }
    };
    logQuietly(1, "ResourceManager destroying");
    while (!loaded_.empty()) {
        TResource* resource = std::prev(loaded_.end())->second;
        logQuietly(3, "Refcount>0 at destruction of Resman for " + Quoted(resource->FileName));
        resource->RefCount = 0;
        delete resource;
    }
    extensions_.clear();
    logQuietly(1, "ResourceManager destroyed");
}

void TResourceManager::RegisterExtension(const std::string& extension, TResourceFactory factory) {
    if (!extensions_.emplace(extension, factory).second) DuplicateKey();
}

TResource* TResourceManager::Find(const std::string& fileName) const {
    auto it = loaded_.find(fileName);
    return it == loaded_.end() ? nullptr : it->second;
}

TResource* TResourceManager::Require(const std::string& fileName) {
    try {
        if (TResource* shared = Find(fileName)) {
            shared->RefCount = CheckedAdd<std::int32_t>(shared->RefCount, 1);
            Log(kCategory, 1,
                "Requre " + Quoted(fileName) + " new RefCount=" + std::to_string(shared->RefCount));
            return shared;
        }
        const std::string extension = ExtensionOf(fileName);
        auto factory = extensions_.find(extension);
        if (factory == extensions_.end())
            throw Exception("Resourcemanager: Unknown Fileextension. " + Quoted(extension));
        const std::string path = ResolveFileName(fileName);
        TResource* resource = factory->second(*this, fileName);
        resource->RefCount = CheckedAdd<std::int32_t>(resource->RefCount, 1);
        Log(kCategory, 1, "Requre " + Quoted(fileName) + " loaded from " + path);
        return resource;
    } catch (...) {
        // Resolving again for the line means a name the resolver refuses ends
        // with the resolver's error, before anything is logged.
        const std::string absolute = ResolveFileName(fileName);
        Log(kCategory, 5, "Error in Require('" + fileName + "'); AbsoluteFilename='" + absolute + "'");
        throw;
    }
}

std::int32_t TResourceManager::Release(TResource* resource) {
    resource->RefCount = CheckedSub<std::int32_t>(resource->RefCount, 1);
    const std::int32_t count = resource->RefCount;
    if (count == 0) delete resource;
    return count;
}

void TResourceManager::Free(TResource* resource) {
    if (resource->RefCount > 0) throw Exception("Resource Refcount>0 at desctruction");
    delete resource;
}

void TResourceManager::Enter(TResource& resource) {
    if (!loaded_.emplace(resource.FileName, &resource).second) DuplicateKey();
}

void TResourceManager::Leave(TResource& resource) {
    auto it = loaded_.find(resource.FileName);
    if (it != loaded_.end() && it->second == &resource) loaded_.erase(it);
}

}  // namespace orbitfall
