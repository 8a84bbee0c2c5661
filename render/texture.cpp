#include "render/texture.h"

#include "render/texture_loader.h"

namespace orbitfall {

TTexture::TTexture(TResourceManager& manager, const std::string& fileName) : TResource(manager, fileName) {
    LoadTextureImage(image_, fileName);
    image_.Upload(true);
}

// The image (and its texture object) goes first, then the table entry.
TTexture::~TTexture() = default;

void TTexture::RegisterExtensions(TResourceManager& manager) {
    manager.RegisterExtension(".img", &TResourceManager::Make<TTexture>);
}

void TTexture::Bind() { image_.Bind(true); }
void TTexture::Unbind() { image_.Unbind(true); }
TTextureImage& TTexture::Image() { return image_; }

}  // namespace orbitfall
