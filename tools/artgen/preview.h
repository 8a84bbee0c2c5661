#pragma once
// Preview pictures for looking at the art: each texture as the game would see
// it once loaded (alpha from its companions), over a dark scene. Written only
// when a preview folder is given; never shipped.
#include <string>

#include "art.h"

namespace orbitfall::artgen {

class Previews {
public:
    explicit Previews(std::string folder) : folder_(std::move(folder)) {}

    void Nebula(const Picture& nebula, const Picture& alpha) const;
    void Laser(const Picture& laser) const;
    void Background(const Picture& background) const;
    void Selection(const Picture& colour, const Picture& alpha) const;
    void Moon(const Picture& moon, const Picture& aura) const;
    void Explosion(const Picture& explosion) const;
    void Fog(const Picture& fog) const;
    void Interface(const Picture& strip, const Picture& background, const BitmapFont& font) const;
    void Icon(const Picture& icon) const;

private:
    void Write(const std::string& name, const Picture& picture) const;
    std::string folder_;
};

}  // namespace orbitfall::artgen
