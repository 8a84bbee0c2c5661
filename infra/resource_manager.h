#pragma once
// File-backed resources shared by file name: the manager keeps one instance
// per name (letter case ignored), counts its holders and creates new instances
// through a factory registered for the name's extension.
#include <cstdint>
#include <map>
#include <string>

#include "infra/errors.h"
#include "infra/text_format.h"

namespace orbitfall {

class TResourceManager;

// A resource lives in its manager's table from construction to destruction.
// Instances are freed through TResourceManager::Release or Free (never by
// delete from outside), so that a resource still held is never freed.
class TResource {
public:
    TResource(const TResource&) = delete;
    TResource& operator=(const TResource&) = delete;

    // Forwards to the manager; the new count.
    std::int32_t Release();

    std::int32_t RefCount = 0;
    TResourceManager& Manager;
    // As the first caller wrote it: relative, unresolved.
    const std::string FileName;

protected:
    // Enters the instance into the manager's table under fileName. A subclass
    // constructor that throws destroys the base again, which takes the entry out.
    TResource(TResourceManager& manager, const std::string& fileName);
    // Takes the entry out of the manager's table.
    virtual ~TResource();

    friend class TResourceManager;
};

// Creates the resource for a file name, the "class" registered for an
// extension. The new instance has entered the manager's table, which owns it.
using TResourceFactory = TResource* (*)(TResourceManager&, const std::string&);

class TResourceManager {
public:
    TResourceManager();   // logs "ResourceManager creating..." and "... created"
    ~TResourceManager();  // frees what is still loaded, with a warning line each
    TResourceManager(const TResourceManager&) = delete;
    TResourceManager& operator=(const TResourceManager&) = delete;

    // The extension includes its dot (".img"). Registering one twice raises the
    // table's duplicate error and keeps the first registration.
    void RegisterExtension(const std::string& extension, TResourceFactory factory);

    // The shared instance for the name, loaded on first use; one reference more.
    TResource* Require(const std::string& fileName);
    template <class T>
    T* RequireAs(const std::string& fileName);

    // One reference less; frees the instance when the count reaches exactly 0.
    std::int32_t Release(TResource* resource);
    // Frees the instance; "Resource Refcount>0 at desctruction" while it is held.
    void Free(TResource* resource);

    // Loaded instances (tests and diagnostics).
    std::size_t LoadedCount() const { return loaded_.size(); }
    TResource* Find(const std::string& fileName) const;

    // The factory for a class whose constructor takes (manager, file name).
    template <class T>
    static TResource* Make(TResourceManager& manager, const std::string& fileName) {
        return new T(manager, fileName);
    }

private:
    struct LessIgnoringCase {
        bool operator()(const std::string& a, const std::string& b) const {
            return CompareTextIgnoringCase(a, b) < 0;
        }
    };

    void Enter(TResource& resource);
    void Leave(TResource& resource);

    // Owns its instances: they are deleted by Free and by the destructor.
    std::map<std::string, TResource*, LessIgnoringCase> loaded_;
    std::map<std::string, TResourceFactory, LessIgnoringCase> extensions_;

    friend class TResource;
};

template <class T>
T* TResourceManager::RequireAs(const std::string& fileName) {
    TResource* resource = Require(fileName);
    if (auto* typed = dynamic_cast<T*>(resource)) return typed;
    Release(resource);
    throw Exception("Resourcemanager: \"" + fileName + "\" is of another resource class");
}

}  // namespace orbitfall
