#include "preview.h"

#include <algorithm>
#include <cmath>

#include "image_files.h"

namespace orbitfall::artgen {

namespace {

Picture Blank(int w, int h, float r, float g, float b) {
    Canvas c(w, h, {r, g, b, 1});
    return Quantize(c);
}

std::uint8_t* At(Picture& p, int x, int y) { return &p.rgba[(static_cast<std::size_t>(y) * p.width + x) * 4]; }

void Blend(Picture& dst, int x, int y, float r, float g, float b, float a) {
    if (x < 0 || y < 0 || x >= dst.width || y >= dst.height) return;
    std::uint8_t* d = At(dst, x, y);
    a = a < 0 ? 0 : (a > 1 ? 1 : a);
    d[0] = ToByte(r * a + d[0] / 255.0f * (1 - a));
    d[1] = ToByte(g * a + d[1] / 255.0f * (1 - a));
    d[2] = ToByte(b * a + d[2] / 255.0f * (1 - a));
}

// The loader's luminance rule for alpha from a picture.
float Luminance(const std::uint8_t* p) { return 0.3f * p[0] / 255.0f + 0.59f * p[1] / 255.0f + 0.11f * p[2] / 255.0f; }

// Area average of the texels that land in destination pixel (dx, dy) when src
// is stretched over a w x h rectangle; alpha either its own or luminance.
void Average(const Picture& src, int dx, int dy, int w, int h, bool alphaFromLuminance, float out[4]) {
    const int x0 = dx * src.width / w, x1 = std::max(x0 + 1, (dx + 1) * src.width / w);
    const int y0 = dy * src.height / h, y1 = std::max(y0 + 1, (dy + 1) * src.height / h);
    float s[4] = {0, 0, 0, 0};
    for (int y = y0; y < y1; ++y) {
        for (int x = x0; x < x1; ++x) {
            const std::uint8_t* p = src.Pixel(x, y);
            const float a = alphaFromLuminance ? Luminance(p) : p[3] / 255.0f;
            s[0] += p[0] / 255.0f * a;
            s[1] += p[1] / 255.0f * a;
            s[2] += p[2] / 255.0f * a;
            s[3] += a;
        }
    }
    const float n = static_cast<float>((x1 - x0) * (y1 - y0));
    out[3] = s[3] / n;
    for (int i = 0; i < 3; ++i) out[i] = s[3] > 0 ? s[i] / s[3] : 0;
}

// Draws src stretched into the rectangle, modulated by a colour (GL's default
// texture environment) and blended with source alpha.
void Draw(Picture& dst, const Picture& src, int left, int top, int w, int h, const float tint[4], bool alphaFromLuminance,
          const Picture* alphaPicture = nullptr) {
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            float c[4];
            Average(src, x, y, w, h, false, c);
            if (alphaFromLuminance) {
                float l[4];
                Average(alphaPicture ? *alphaPicture : src, x, y, w, h, false, l);
                c[3] = 0.3f * l[0] + 0.59f * l[1] + 0.11f * l[2];
            }
            Blend(dst, left + x, top + y, c[0] * tint[0], c[1] * tint[1], c[2] * tint[2], c[3] * tint[3]);
        }
    }
}

Picture Zoom(const Picture& src, int left, int top, int w, int h, int scale) {
    Picture out = Blank(w * scale, h * scale, 0, 0, 0);
    for (int y = 0; y < h * scale; ++y)
        for (int x = 0; x < w * scale; ++x) {
            const std::uint8_t* p = src.Pixel(left + x / scale, top + y / scale);
            std::copy(p, p + 4, At(out, x, y));
        }
    return out;
}

}  // namespace

void Previews::Write(const std::string& name, const Picture& picture) const {
    if (!folder_.empty()) WriteFile(folder_ + "/" + name + ".png", EncodePng(picture));
}

void Previews::Nebula(const Picture& nebula, const Picture& alpha) const {
    if (folder_.empty()) return;
    Picture scene = Blank(768, 300, 0.1f, 0.1f, 0.2f);
    const float tints[3][4] = {{0.8f, 0.3f, 0.55f, 1}, {0.25f, 0.5f, 0.85f, 1}, {0.45f, 0.75f, 0.35f, 1}};
    for (int i = 0; i < 3; ++i) Draw(scene, nebula, 10 + i * 250, 22, 256, 256, tints[i], true, &alpha);
    Draw(scene, nebula, 300, 100, 128, 128, tints[0], true, &alpha);
    Write("nebula", scene);
}

void Previews::Laser(const Picture& laser) const {
    if (folder_.empty()) return;
    Picture scene = Blank(512, 160, 0.1f, 0.1f, 0.2f);
    const int column = static_cast<int>(0.625f * laser.width);
    for (int y = 0; y < 48; ++y) {
        const std::uint8_t* p = laser.Pixel(column, y * laser.height / 48);
        for (int x = 0; x < 512; ++x)
            Blend(scene, x, 20 + y, p[0] / 255.0f * 0.3f, p[1] / 255.0f, 0.0f, p[3] / 255.0f * 0.7f);
        const std::uint8_t* q = laser.Pixel(column, y * laser.height / 48);
        for (int x = 0; x < 512; ++x) Blend(scene, x, 90 + y / 4, q[0] / 255.0f * 0.3f, q[1] / 255.0f, 0.0f, q[3] / 255.0f * 0.7f);
    }
    Write("laser", scene);
}

void Previews::Background(const Picture& background) const {
    if (folder_.empty()) return;
    Write("background", background);
    // Two copies side by side, shifted by half a width, show the seam in the middle.
    Picture seam = Blank(background.width, background.height, 0, 0, 0);
    for (int y = 0; y < background.height; ++y)
        for (int x = 0; x < background.width; ++x) {
            const std::uint8_t* p = background.Pixel((x + background.width / 2) % background.width, y);
            std::uint8_t* d = At(seam, x, y);
            d[0] = p[0];
            d[1] = p[1];
            d[2] = p[2];
        }
    Write("background_seam", seam);
}

void Previews::Selection(const Picture& colour, const Picture& alpha) const {
    if (folder_.empty()) return;
    Picture scene = Blank(512, 280, 0.1f, 0.1f, 0.2f);
    const float red[4] = {1.0f, 0.2f, 0.2f, 180.0f / 255.0f}, blue[4] = {0.3f, 0.6f, 1.0f, 180.0f / 255.0f};
    Draw(scene, colour, 10, 10, 256, 256, red, true, &alpha);
    Draw(scene, colour, 290, 40, 96, 96, blue, true, &alpha);
    Draw(scene, colour, 300, 160, 40, 40, red, true, &alpha);
    Draw(scene, colour, 360, 170, 24, 24, blue, true, &alpha);
    Write("selection", scene);
}

void Previews::Moon(const Picture& moon, const Picture& aura) const {
    if (folder_.empty()) return;
    constexpr int S = 320;
    Picture scene = Blank(S, S, 0.1f, 0.1f, 0.2f);
    const float auraTint[4] = {0.2f, 0.1f, 1.0f, 0.7f};
    Draw(scene, aura, 0, 0, S, S, auraTint, true);
    // The sphere seen from above at a 35 degree tilt; radius S / 3.2 as in the game.
    const double tilt = 35.0 * 3.141592653589793 / 180.0;
    const double radius = S / 3.2;
    for (int y = 0; y < S; ++y)
        for (int x = 0; x < S; ++x) {
            const double u = (x + 0.5 - S / 2.0) / radius, v = (S / 2.0 - (y + 0.5)) / radius;
            const double d2 = u * u + v * v;
            if (d2 >= 1.0) continue;
            const double w = std::sqrt(1.0 - d2);  // towards the eye
            // Eye space to sphere space: rotate back about the x axis.
            const double sx = u, sy = -(v * std::cos(tilt) - w * std::sin(tilt)), sz = v * std::sin(tilt) + w * std::cos(tilt);
            double lon = std::atan2(sx, sy);
            if (lon < 0) lon += 2 * 3.141592653589793;
            const double lat = std::asin(sz);
            const int tx = std::min(moon.width - 1, static_cast<int>(lon / (2 * 3.141592653589793) * moon.width));
            const int ty = std::min(moon.height - 1, static_cast<int>((lat / 3.141592653589793 + 0.5) * moon.height));
            const std::uint8_t* p = moon.Pixel(tx, ty);
            Blend(scene, x, y, p[0] / 255.0f, p[1] / 255.0f, p[2] / 255.0f, 1);
        }
    Write("moon", scene);
    Write("moon_texture", moon);
}

void Previews::Explosion(const Picture& explosion) const {
    if (folder_.empty()) return;
    Picture scene = Blank(explosion.width, explosion.height, 0.1f, 0.1f, 0.2f);
    const float white[4] = {1, 1, 1, 1};
    Draw(scene, explosion, 0, 0, explosion.width, explosion.height, white, false);
    Write("explosion", scene);
    Write("explosion_zoom", Zoom(scene, 0, 0, 512, 128, 2));
}

void Previews::Fog(const Picture& fog) const {
    if (folder_.empty()) return;
    Picture scene = Blank(512, 512, 0.2f, 0.35f, 0.25f);
    const float veil[4] = {1, 1, 1, 0.75f};
    for (int i = 0; i < 4; ++i) Draw(scene, fog, (i % 2) * 256, (i / 2) * 256, 256, 256, veil, false);
    Write("fog", scene);
}

void Previews::Interface(const Picture& strip, const Picture& background, const BitmapFont& font) const {
    if (folder_.empty()) return;
    // A 1024 x 420 window: the main view above 180 units, the minimap and the
    // mini-scene filled with plain colours, then the strip keyed by black.
    constexpr int W = 1024, H = 420;
    Picture scene = Blank(W, H, 0.1f, 0.1f, 0.2f);
    const float half[4] = {0.5f, 0.5f, 0.5f, 1};
    Draw(scene, background, 0, 0, W, H - 180, half, false);
    for (int y = H - 228; y < H - 28; ++y)
        for (int x = 28; x < 228; ++x) Blend(scene, x, y, 0.9f, 0.2f, 0.2f, 1);
    for (int y = H - 176; y < H - 26; ++y)
        for (int x = 607; x < 757; ++x) Blend(scene, x, y, 0.2f, 0.9f, 0.3f, 1);
    for (int y = 0; y < strip.height; ++y)
        for (int x = 0; x < strip.width; ++x) {
            const std::uint8_t* p = strip.Pixel(x, y);
            const bool key = p[0] == 0 && p[1] == 0 && p[2] == 0;
            if (!key) Blend(scene, x, H - 256 + y, p[0] / 255.0f, p[1] / 255.0f, p[2] / 255.0f, 1);
        }
    // Text through the metrics records, as the font's drawing does.
    auto text = [&](int x, int y, const std::string& s, float r, float g, float b) {
        // The strings here are UTF-8; the font holds Latin-1 codes.
        for (std::size_t k = 0; k < s.size(); ++k) {
            unsigned ch = static_cast<unsigned char>(s[k]);
            if (ch >= 0xc0 && k + 1 < s.size()) ch = ((ch & 0x1f) << 6) | (static_cast<unsigned char>(s[++k]) & 0x3f);
            for (std::size_t i = 0; i + 9 <= font.metrics.size(); i += 9) {
                const std::uint8_t* m = &font.metrics[i];
                if (m[0] != ch) continue;
                const int gx = m[1] | (m[2] << 8), gy = m[3] | (m[4] << 8), gw = m[5] | (m[6] << 8), gh = m[7] | (m[8] << 8);
                for (int yy = 0; yy < gh; ++yy)
                    for (int xx = 0; xx < gw; ++xx)
                        Blend(scene, x + xx, y + yy, r, g, b, font.picture.Pixel(gx + xx, gy + yy)[0] / 255.0f);
                x += gw;
                break;
            }
        }
    };
    text(0, H - font.lineHeight, "ABC", 1, 0, 1);
    text(330, H - 146, "Flotte bereit", 0.5f, 0.9f, 1.0f);
    text(330, H - 128, "Größe: 64 × 48", 0.5f, 0.9f, 1.0f);
    text(840, H - 150, "Spieler 1 - Ärger über Öl", 1.0f, 0.85f, 0.4f);
    text(10, 10, "The quick brown fox jumps over the lazy dog 0123456789 äöüÄÖÜß «»©®°±", 1, 1, 1);
    Write("interface", scene);
    Write("font_zoom", Zoom(scene, 0, 4, 640, 28, 2));
    Write("interface_zoom_minimap", Zoom(scene, 0, H - 260, 320, 260, 3));
    Write("interface_zoom_miniscene", Zoom(scene, 560, H - 200, 260, 200, 3));
    Write("interface_raw", strip);
    Write("font", font.picture);
}

void Previews::Icon(const Picture& icon) const {
    if (folder_.empty()) return;
    Picture scene = Blank(icon.width + 16, icon.height + 16, 0.5f, 0.5f, 0.5f);
    for (int y = 0; y < scene.height; ++y)
        for (int x = 0; x < scene.width; ++x)
            if (((x / 8) + (y / 8)) % 2) Blend(scene, x, y, 0.7f, 0.7f, 0.7f, 1);
    const float white[4] = {1, 1, 1, 1};
    Draw(scene, icon, 8, 8, icon.width, icon.height, white, false);
    Write("icon-" + std::to_string(icon.width), scene);
}

}  // namespace orbitfall::artgen
