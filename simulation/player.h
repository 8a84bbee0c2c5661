#pragma once
// One player of a game: selection, cell grid, sight maps, camera, latest
// notable event and colour. Player 0 is neutral.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "infra/zeroed_array.h"

namespace orbitfall {

class TGame;
class TRegisteredObject;

class TPlayer {
public:
    explicit TPlayer(TGame& game);
    TPlayer(const TPlayer&) = delete;
    TPlayer& operator=(const TPlayer&) = delete;

    TGame* Game;
    std::vector<std::int32_t> Selection;  // Ids, never pointers
    double CameraX = 0;
    double CameraY = 0;
    double EventX = 0;
    double EventY = 0;
    std::uint8_t EventTime = 0;
    std::uint8_t EventPriority = 0;
    std::uint8_t ColorR = 0;
    std::uint8_t ColorG = 0;
    std::uint8_t ColorB = 0;

    void ReportEvent(std::uint8_t priority, std::uint8_t duration, double x, double y);

    // Sizes the grid to cols x (rows + 1) heads (the spare row stays empty)
    // and both maps to (width + 1) x (height + 1) zero counters.
    void SizeMaps(std::int32_t cellCols, std::int32_t cellRows, std::int32_t width,
                  std::int32_t height);

    // Head of a cell list; first index the column. Raises ERangeError outside.
    TRegisteredObject*& Grid(std::int32_t col, std::int32_t row);
    TRegisteredObject* Grid(std::int32_t col, std::int32_t row) const;
    // Sight and detector counters by map unit, first index the column (x).
    // Raise ERangeError outside [0, Width] x [0, Height].
    std::uint16_t& SightMap(std::int32_t x, std::int32_t y);
    std::uint16_t SightMap(std::int32_t x, std::int32_t y) const;
    std::uint16_t& DetectorMap(std::int32_t x, std::int32_t y);
    std::uint16_t DetectorMap(std::int32_t x, std::int32_t y) const;

    // Unchecked head of a cell list, for the area queries, whose rectangles
    // are clamped into the grid.
    TRegisteredObject* GridHead(std::int32_t col, std::int32_t row) const {
        return grid_[static_cast<std::size_t>(row) * gridCols_ + col];
    }

    std::int32_t GridCols() const { return gridCols_; }
    std::int32_t GridRows() const { return gridRows_; }
    std::int32_t MapCols() const { return mapCols_; }
    std::int32_t MapRows() const { return mapRows_; }

    // Row-major storage (index y * MapCols() + x) for the renderer's fog pass
    // and the sight stamps, which walk rows.
    std::uint16_t* SightRow(std::int32_t y) { return &sight_[static_cast<std::size_t>(y) * mapCols_]; }
    const std::uint16_t* SightRow(std::int32_t y) const {
        return &sight_[static_cast<std::size_t>(y) * mapCols_];
    }
    std::uint16_t* DetectorRow(std::int32_t y) {
        return &detector_[static_cast<std::size_t>(y) * mapCols_];
    }
    const std::uint16_t* DetectorRow(std::int32_t y) const {
        return &detector_[static_cast<std::size_t>(y) * mapCols_];
    }

private:
    std::int32_t gridCols_ = 0;
    std::int32_t gridRows_ = 0;  // CellRows + 1
    std::int32_t mapCols_ = 0;   // Width + 1
    std::int32_t mapRows_ = 0;   // Height + 1
    std::vector<TRegisteredObject*> grid_;  // row-major: row * gridCols_ + col
    // Zero-filled by the allocator: on a large map most spots are never
    // seen, and their pages are then never written.
    TZeroedArray<std::uint16_t> sight_;
    TZeroedArray<std::uint16_t> detector_;
};

}  // namespace orbitfall
