#include "simulation/map_start_views.h"

#include "infra/data_dirs.h"
#include "infra/numeric.h"
#include "infra/text_format.h"
#include "infra/xml_item.h"
#include "infra/xml_parser.h"

namespace orbitfall {

TMapStartViews ReadStartViews(TXMLItem& root) {
    TMapStartViews views;
    const int objectsAt = root.IndexOfName("Objects");
    if (objectsAt < 0) return views;
    TXMLItem& objects = root.Items(objectsAt);
    for (int i = 0; i < objects.Count(); ++i) {
        TXMLItem& element = objects.Items(i);
        if (LowerAscii(element.Name()) != "start") continue;
        const int player = StrToInt(element.Attributes().Value("Player"));
        views.LowestPlayer = views.Count == 0 ? player : std::min(views.LowestPlayer, player);
        views.HighestPlayer = views.Count == 0 ? player : std::max(views.HighestPlayer, player);
        ++views.Count;
    }
    return views;
}

TMapStartViews ReadMapStartViews(const std::string& mapName) {
    TECXMLParser parser;
    parser.LoadFromFile(ResolveFileName("maps\\" + mapName + ".ofm"));
    return ReadStartViews(parser.Root());
}

}  // namespace orbitfall
