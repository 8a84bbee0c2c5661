#pragma once
// The graphics detail settings, chosen once at start-up from the first
// command-line word and fixed for the run.
#include <cstdint>
#include <memory>
#include <string>

namespace orbitfall {

struct TSettings {
    bool TranslucentSelection = false;
    bool ShowBackground = false;
    bool ShowMiniscene = false;
};

extern std::uint8_t DetailLevel;
extern std::unique_ptr<TSettings> GameSettings;

// Level for a detail word: "minimal" 0 ... "maximal" 4, anything else 2.
// The word is lower-cased (ASCII) first; no trimming, no prefixes.
std::uint8_t DetailLevelFromWord(const std::string& word);

// Start-up: creates GameSettings from the first argument (empty when absent).
void InitSettings(const std::string& firstArgument);
// Tear-down.
void FreeSettings();

}  // namespace orbitfall
