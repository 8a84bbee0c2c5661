#pragma once
// How a texture resource fills its image from a relative name N, before the
// upload: decode ResolveFileName(N); then, when they exist, the alpha image
// N.alpha.img and the configuration N.config, in that order, each later alpha
// source replacing the alpha of every pixel (alpha image, colour key,
// self-alpha).
#include <string>

#include "render/texture_image.h"

namespace orbitfall {

void LoadTextureImage(TTextureImage& image, const std::string& fileName);

}  // namespace orbitfall
