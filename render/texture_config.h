#pragma once
// The ".config" companion of a texture: lines key=value, keys matched
// without regard to letter case, the first line of a key counting, the value
// the rest of the line after the first "=".
//   ColorKeyR, ColorKeyG, ColorKeyB   decimal 0..255; a non-empty blue value
//                                     switches the colour key on, a missing
//                                     or empty red or green value counts as 0
//   SelfAlpha                         exactly "1" switches it on
#include <cstdint>
#include <string>

namespace orbitfall {

struct TTextureConfig {
    bool ColorKey = false;
    std::uint8_t R = 0, G = 0, B = 0;
    bool SelfAlpha = false;
};

// EConvertError for a value that is not a decimal integer, ERangeError for
// one outside 0 to 255.
TTextureConfig ParseTextureConfig(const std::string& text);

// The name with its extension (from the last "." of the last path component
// on) replaced: "Graphics\Laser.img" with ".alpha.img" gives
// "Graphics\Laser.alpha.img".
std::string ChangeExtension(const std::string& fileName, const std::string& extension);

}  // namespace orbitfall
