#include "shell/lobby/map_list.h"

#include <exception>

#include "infra/file_system.h"
#include "infra/text_encoding.h"
#include "infra/xml_parser.h"
#include "simulation/map_start_views.h"

namespace orbitfall {

int CountStartViews(const std::string& mapFile) {
    try {
        TECXMLParser parser;
        parser.LoadFromFile(mapFile);
        return ReadStartViews(parser.Root()).Count;
    } catch (const std::exception&) {
        return -1;
    }
}

std::vector<TLobbyMap> ListLobbyMaps(const std::string& dataDir, const std::string& userDir) {
    std::vector<TLobbyMap> maps;
    for (const std::string& folder : {dataDir + "Maps\\", userDir + "Maps\\"}) {
        std::string native = FindExistingCase(folder);
        if (!native.empty() && native.back() != '/') native += '/';
        for (const std::string& file : ListFiles(native, "*.ofm"))
            maps.push_back({file.substr(0, file.find('.')), CountStartViews(native + file)});
    }
    return maps;
}

std::string MapLabel(const TLobbyMap& map) {
    const std::string name = ToUtf8(map.Name);
    return map.StartViews < 0 ? name : name + " (" + std::to_string(map.StartViews) + ")";
}

}  // namespace orbitfall
