#include "infra/settings.h"

#include "infra/text_format.h"

namespace orbitfall {

std::uint8_t DetailLevel = 2;
std::unique_ptr<TSettings> GameSettings;

std::uint8_t DetailLevelFromWord(const std::string& word) {
    static const char* const words[] = {"minimal", "low", "normal", "high", "maximal"};
    const std::string lower = LowerAscii(word);
    for (std::uint8_t level = 0; level < 5; ++level)
        if (lower == words[level]) return level;
    return 2;
}

void InitSettings(const std::string& firstArgument) {
    GameSettings = std::make_unique<TSettings>();
    DetailLevel = DetailLevelFromWord(firstArgument);
    GameSettings->TranslucentSelection = DetailLevel >= 1;
    GameSettings->ShowBackground = DetailLevel >= 1;
    GameSettings->ShowMiniscene = DetailLevel >= 2;
}

void FreeSettings() { GameSettings.reset(); }

}  // namespace orbitfall
