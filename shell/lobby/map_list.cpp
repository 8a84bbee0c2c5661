#include "shell/lobby/map_list.h"

#include <exception>

#include "infra/file_system.h"
#include "infra/text_encoding.h"
#include "infra/text_format.h"
#include "infra/xml_item.h"
#include "infra/xml_parser.h"

namespace orbitfall {

int CountStartViews(const std::string& mapFile) {
    try {
        TECXMLParser parser;
        parser.LoadFromFile(mapFile);
        TXMLItem& root = parser.Root();
        const int objectsAt = root.IndexOfName("Objects");
        if (objectsAt < 0) return 0;
        TXMLItem& objects = root.Items(objectsAt);
        int starts = 0;
        for (int i = 0; i < objects.Count(); ++i)
            if (CompareTextIgnoringCase(objects.Items(i).Name(), "Start") == 0) ++starts;
        return starts;
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
