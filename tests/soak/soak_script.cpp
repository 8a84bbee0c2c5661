#include "tests/soak/soak_script.h"

#include <algorithm>
#include <random>

namespace orbitfall::soak {
namespace {

// std::mt19937's sequence is fixed by the standard, unlike the distributions,
// so only its raw output is used.
class Draw {
public:
    explicit Draw(std::uint32_t seed) : engine_(seed) {}
    int Below(int n) { return static_cast<int>(engine_() % static_cast<std::uint32_t>(n)); }

private:
    std::mt19937 engine_;
};

// Coordinates are drawn in tenths of a unit and written with one decimal.
std::string Tenths(int value) { return std::to_string(value / 10) + "." + std::to_string(value % 10); }

struct Line {
    std::int32_t Frame;
    std::string Text;
};

}  // namespace

std::vector<std::string> MakeSoakScripts(std::uint32_t seed, std::int32_t frames, int players,
                                         int mapSize) {
    const int size = mapSize * 10;
    struct Meeting {
        std::int32_t Frame;
        int X, Y;
    };
    std::vector<Meeting> meetings;
    Draw shared(seed);
    for (std::int32_t f = 5; f < frames; f += 250 + shared.Below(350))
        meetings.push_back({f, size / 5 + shared.Below(size * 3 / 5), size / 5 + shared.Below(size * 3 / 5)});

    std::vector<std::string> scripts;
    for (int p = 1; p <= players; ++p) {
        Draw draw(seed ^ (0x9E3779B9u * static_cast<std::uint32_t>(p)));
        std::vector<Line> lines;
        auto point = [&](int x, int y) { return Tenths(std::clamp(x, 0, size)) + " " + Tenths(std::clamp(y, 0, size)); };
        for (const Meeting& m : meetings) {
            const std::int32_t f = m.Frame + draw.Below(15);
            if (f >= frames) break;
            lines.push_back({f, "selectall"});
            lines.push_back({f, "move " + point(m.X + draw.Below(201) - 100, m.Y + draw.Below(201) - 100)});
        }
        // Between meetings, once the fleets have had time to fight.
        auto quiet = [&meetings](std::int32_t f) {
            for (const Meeting& m : meetings)
                if (f >= m.Frame && f < m.Frame + 200) return true;
            return false;
        };
        for (std::int32_t f = 20 + draw.Below(80); f < frames; f += 20 + draw.Below(80)) {
            if (quiet(f)) continue;
            const int x = draw.Below(size - 50), y = draw.Below(size - 50);
            const std::string rect =
                point(x, y) + " " + point(x + 50 + draw.Below(size / 3), y + 50 + draw.Below(size / 3));
            switch (draw.Below(4)) {
                case 0: lines.push_back({f, "select " + rect}); break;
                case 1: lines.push_back({f, "selectadd " + rect}); break;
                case 2: lines.push_back({f, "move " + point(draw.Below(size + 1), draw.Below(size + 1))}); break;
                default: lines.push_back({f, "selectall"}); break;
            }
        }
        // A runner issues its script strictly in order, so the lines must be.
        std::stable_sort(lines.begin(), lines.end(), [](const Line& a, const Line& b) { return a.Frame < b.Frame; });
        std::string text;
        for (const Line& l : lines) text += std::to_string(l.Frame) + " " + l.Text + "\n";
        scripts.push_back(std::move(text));
    }
    return scripts;
}

}  // namespace orbitfall::soak
