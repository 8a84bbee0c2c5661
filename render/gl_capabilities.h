#pragma once
// What the current rendering context's driver offers that texture uploads
// depend on, read from the driver once per context.
#include <string>

namespace orbitfall {

struct TGlCapabilities {
    int Major = 0;
    int Minor = 0;
    std::string Extensions;  // blank-separated names
    int MaxTextureSize = 0;

    bool AtLeast(int major, int minor) const { return Major > major || (Major == major && Minor >= minor); }
    // A whole name of the extension list, not a prefix of a longer one.
    bool Has(const std::string& extension) const;
};

// The values of the current context; read from the driver on the first call
// after ResetGlCapabilities (which the GL set-up calls for each new context).
const TGlCapabilities& GlCapabilities();
void ResetGlCapabilities();
// Replaces what the driver said until the next reset (to run the uploads as
// an older driver would).
void SetGlCapabilities(const TGlCapabilities& capabilities);

// "4.5 (Compatibility Profile) Mesa 22.3.6" gives 4 and 5; 0 and 0 for text
// that does not start with a version.
void ParseGlVersion(const std::string& text, int& major, int& minor);

}  // namespace orbitfall
