#include "simulation/unit_catalogue_cache.h"

#include "infra/file_system.h"
#include "infra/xml_parser.h"

namespace orbitfall {

TUnitTypeList TUnitCatalogueCache::Load(const std::string& path) {
    std::string bytes = ReadWholeFile(path);
    // Reading a catalogue depends on nothing but the file's bytes (no
    // settings, no locale, no file name), so equal bytes give an equal
    // catalogue; a file that failed to parse is never kept.
    if (!filled_ || bytes != bytes_) {
        filled_ = false;
        TECXMLParser document;
        document.LoadFromString(bytes);
        types_ = LoadUnitTypes(document.Root());
        bytes_ = std::move(bytes);
        filled_ = true;
    }
    return CopyUnitTypes(types_);
}

TUnitTypeList CopyUnitTypes(const TUnitTypeList& types) {
    TUnitTypeList copy;
    copy.reserve(types.size());
    for (const auto& type : types) copy.push_back(std::make_unique<TUnitTypeDescriptor>(*type));
    return copy;
}

}  // namespace orbitfall
