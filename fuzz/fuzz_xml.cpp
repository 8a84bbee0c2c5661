// The XML reader on arbitrary text, then the writer on whatever tree it built.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "infra/errors.h"
#include "infra/xml_parser.h"

using namespace orbitfall;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    TECXMLParser parser;
    try {
        parser.LoadFromString(std::string(reinterpret_cast<const char*>(data), size));
    } catch (const Exception&) {
        return 0;
    }
    // Walks every node the way the loaders do (by index, by name).
    TXMLItem& root = parser.Root();
    for (int i = 0; i < root.Count(); ++i) {
        TXMLItem& child = root.Items(i);
        (void)child.Attributes().Value("Name");
        (void)root.IndexOfName(child.Name());
    }
    std::ostringstream out;
    parser.SaveToStream(out, false);
    // What the writer produced must read back without an error.
    TECXMLParser again;
    again.LoadFromString(out.str());
    return 0;
}
