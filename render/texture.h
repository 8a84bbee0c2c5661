#pragma once
// The shared texture resource, registered for ".img": decodes the picture,
// applies the companion ".alpha.img" and ".config" files, uploads it.
#include <memory>
#include <string>

#include "infra/resource_manager.h"
#include "render/texture_image.h"

namespace orbitfall {

class TTexture : public TResource {
public:
    TTexture(TResourceManager& manager, const std::string& fileName);
    ~TTexture() override;

    // Registers ".img" for this class with the manager.
    static void RegisterExtensions(TResourceManager& manager);

    void Bind();     // Image.Bind with enabling
    void Unbind();   // Image.Unbind with disabling
    TTextureImage& Image();

private:
    TTextureImage image_;
};

}  // namespace orbitfall
