// orbitfall-sim find: the games that answer on the local network, one line
// each as it arrives, for scripts and tests.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <stdexcept>
#include <string>

#include "control/game_finder.h"
#include "platform/event_loop.h"
#include "shell/sim/sim_commands.h"

namespace orbitfall {

// One field of a "game" line: no blanks inside, "-" for nothing.
std::string FindField(const std::string& text) {
    if (text.empty()) return "-";
    std::string field = text;
    for (char& c : field)
        if (c == ' ') c = '_';
    return field;
}

std::string FindLine(const TFoundGame& game) {
    const TDiscoveryAnswer& a = game.Answer;
    return "game " + game.Address + " " + std::to_string(a.Port) + " " + FindField(a.Name) + " " + FindField(a.Map) +
           " " + std::to_string(a.Players) + " " + (a.StartViews < 0 ? std::string("?") : std::to_string(a.StartViews));
}

int FindGames(const TSimOptions& o) {
    TEventLoop loop;
    TGameFinder finder(loop);
    std::size_t printed = 0;
    const auto begin = std::chrono::steady_clock::now();
    double firstMs = -1;
    finder.OnChange = [&] {
        if (firstMs < 0 && !finder.Games().empty())
            firstMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - begin).count();
        // Each game once, when it first answers.
        for (; printed < finder.Games().size(); ++printed) std::printf("%s\n", FindLine(finder.Games()[printed]).c_str());
        std::fflush(stdout);
    };
    if (finder.Begin(o.Port) == 0) throw std::runtime_error("No network to ask for games");
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(o.Seconds);
    while (finder.Running()) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
        if (left.count() <= 0) break;
        loop.RunFor(std::min(left, std::chrono::milliseconds(10)));
    }
    finder.End();
    if (o.Stats)
        std::printf("stats query-bytes %llu datagrams %zu answer-bytes %llu first-answer-ms %.2f\n",
                    static_cast<unsigned long long>(finder.QueryBytes()), finder.Datagrams(),
                    static_cast<unsigned long long>(finder.AnswerBytes()), firstMs);
    return 0;
}

}  // namespace orbitfall
