// orbitfall-artgen: writes the game's textures, its interface font and the
// desktop icons below a root folder (normally the repository), and optionally
// preview pictures for looking at them.
//
//   orbitfall-artgen <root> [--font <ttf file>] [--preview <folder>]
#include <cstdio>
#include <exception>
#include <string>

#include "art.h"
#include "image_files.h"
#include "preview.h"

#ifndef ORBITFALL_ARTGEN_FONT
#define ORBITFALL_ARTGEN_FONT "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"
#endif

namespace orbitfall::artgen {
namespace {

std::vector<std::uint8_t> Text(const std::string& s) { return {s.begin(), s.end()}; }

int Run(int argc, char** argv) {
    std::string root, font = ORBITFALL_ARTGEN_FONT, preview;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--font" && i + 1 < argc) {
            font = argv[++i];
        } else if (arg == "--preview" && i + 1 < argc) {
            preview = argv[++i];
        } else if (root.empty() && !arg.empty() && arg[0] != '-') {
            root = arg;
        } else {
            std::fprintf(stderr, "usage: orbitfall-artgen <root> [--font <ttf file>] [--preview <folder>]\n");
            return 2;
        }
    }
    if (root.empty()) {
        std::fprintf(stderr, "usage: orbitfall-artgen <root> [--font <ttf file>] [--preview <folder>]\n");
        return 2;
    }
    const std::string graphics = root + "/Game/Data/Graphics/";
    Previews previews(preview);

    // Nebula: light grey-white, its shape in a companion alpha picture.
    const Picture nebula = MakeNebula();
    const Picture nebulaAlpha = MakeNebulaAlpha();
    WriteFile(graphics + "Nebula.tga", EncodeTga(nebula, 24, TgaKind::RunLength));
    WriteFile(graphics + "Nebula.alpha.tga", EncodeTga(nebulaAlpha, 24, TgaKind::RunLength));
    previews.Nebula(nebula, nebulaAlpha);

    const Picture laser = MakeLaser();
    WriteFile(graphics + "Textures/Laser.tga", EncodeTga(laser, 32, TgaKind::Uncompressed));
    previews.Laser(laser);

    const Picture background = MakeBackground();
    WriteFile(graphics + "Background/Orion.bmp", EncodeBmp24(background));
    previews.Background(background);

    // Aura: its own luminance is its alpha ("SelfAlpha").
    const Picture aura = MakeAura();
    WriteFile(graphics + "Textures/Aura1.tga", EncodeTga(aura, 24, TgaKind::RunLength));
    WriteFile(graphics + "Textures/Aura1.config", Text("SelfAlpha=1\n"));

    // Selection ring: white, its shape in a companion alpha picture.
    const Picture selection = MakeSelectionColor();
    const Picture selectionAlpha = MakeSelectionAlpha();
    WriteFile(graphics + "Textures/Selection.bmp", EncodeBmp24(selection));
    WriteFile(graphics + "Textures/Selection.alpha.bmp", EncodeBmp24(selectionAlpha));
    previews.Selection(selection, selectionAlpha);

    const Picture moon = MakeMoon();
    WriteFile(graphics + "Textures/Kristallmond.tga", EncodeTga(moon, 24, TgaKind::Uncompressed));
    previews.Moon(moon, aura);

    // Interface strip: pure black is the colour key of its windows.
    const Picture strip = MakeInterfaceStrip();
    WriteFile(graphics + "Interfaces/Interface3b.bmp", EncodeBmp24(strip));
    WriteFile(graphics + "Interfaces/Interface3b.config", Text("ColorKeyR=0\nColorKeyG=0\nColorKeyB=0\n"));

    const Picture explosion = MakeExplosion();
    WriteFile(graphics + "Textures/BlueExplosion.tga", EncodeTga(explosion, 32, TgaKind::RunLength));
    previews.Explosion(explosion);

    const Picture fog = MakeFogPattern();
    WriteFile(graphics + "Textures/Fog.tga", EncodeTga(fog, 32, TgaKind::Uncompressed));
    previews.Fog(fog);

    const BitmapFont verdana = RenderFont(font, 14);
    WriteFile(graphics + "Fonts/Verdana14B.tga", EncodeTga(verdana.picture, 24, TgaKind::RunLength));
    WriteFile(graphics + "Fonts/Verdana14B.bmf", verdana.metrics);
    previews.Interface(strip, background, verdana);

    for (int size : {48, 64, 128, 256}) {
        const Picture icon = MakeIcon(size);
        WriteFile(root + "/packaging/icons/orbitfall-" + std::to_string(size) + ".png", EncodePng(icon));
        previews.Icon(icon);
    }
    return 0;
}

}  // namespace
}  // namespace orbitfall::artgen

int main(int argc, char** argv) {
    try {
        return orbitfall::artgen::Run(argc, argv);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "orbitfall-artgen: %s\n", e.what());
        return 1;
    }
}
