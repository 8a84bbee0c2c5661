#include "render/texture_loader.h"

#include "infra/data_dirs.h"
#include "infra/file_system.h"
#include "render/texture_config.h"

namespace orbitfall {

void LoadTextureImage(TTextureImage& image, const std::string& fileName) {
    const std::string path = ResolveFileName(fileName);
    image.LoadFromFile(path);

    const std::string alphaPath = ResolveFileName(ChangeExtension(fileName, ".alpha.img"));
    if (FileExists(alphaPath)) image.AddAlphaFromFile(alphaPath);

    const std::string configPath = ResolveFileName(ChangeExtension(fileName, ".config"));
    if (FileExists(configPath)) {
        const TTextureConfig config = ParseTextureConfig(ReadWholeFile(configPath));
        if (config.ColorKey) image.AddAlphaFromColorKey(config.R, config.G, config.B, 0);
        if (config.SelfAlpha) image.AddAlphaFromFile(path);
    }
}

}  // namespace orbitfall
