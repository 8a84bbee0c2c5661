#pragma once
// The plain-text report of the graphics card ("GraphicCardInfo.txt"): the
// driver's strings, a few limits of the context and its extension list, one
// extension a line. Every line ends in CR LF.
#include <string>
#include <vector>

namespace orbitfall {

struct TGraphicCardInfo {
    std::string Renderer, Vendor, Version, Extensions;
    int MaxLights = 0;
    int MaxClipPlanes = 0;
    int MaxModelviewStackDepth = 0;
    int MaxProjectionStackDepth = 0;
    int MaxTextureStackDepth = 0;
    int MaxTextureSize = 0;
    int MaxListNesting = 0;
    int MaxViewportWidth = 0;
    int MaxViewportHeight = 0;
    int MaxTextureUnits = 0;
    int AuxBuffers = 0;
    bool DoubleBuffer = false;
    bool Stereo = false;
    int MaxGeneralCombiners = 0;   // read only when the NV extension is named
};

// The extension string cut after every space: each name keeps the space that
// follows it, a last name without one stays without, and two adjacent spaces
// give a line holding one space.
std::vector<std::string> SplitExtensionLines(const std::string& extensions);

// The whole report text, CR LF line ends included.
std::string FormatGraphicCardReport(const TGraphicCardInfo& info);

// Creates (or empties) the file and writes the report into it. A file that
// cannot be created at all raises EFCreateError; a failing write closes the
// file and answers false.
bool WriteGraphicCardReport(const std::string& fileName, const TGraphicCardInfo& info);

// The values of the current context (glGetString, glGetIntegerv,
// glGetBooleanv); strings a driver does not give are empty.
TGraphicCardInfo QueryGraphicCardInfo();

}  // namespace orbitfall
