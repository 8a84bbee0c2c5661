#include "simulation/player.h"

#include "infra/checked.h"
#include "infra/errors.h"

namespace orbitfall {

TPlayer::TPlayer(TGame& game) : Game(&game) {}

void TPlayer::ReportEvent(std::uint8_t priority, std::uint8_t duration, double x, double y) {
    if (EventTime != 0 && priority <= EventPriority) return;
    EventX = x;
    EventY = y;
    EventTime = duration;
    EventPriority = priority;
}

void TPlayer::SizeMaps(std::int32_t cellCols, std::int32_t cellRows, std::int32_t width,
                       std::int32_t height) {
    gridCols_ = cellCols;
    gridRows_ = CheckedAdd(cellRows, 1);
    mapCols_ = CheckedAdd(width, 1);
    mapRows_ = CheckedAdd(height, 1);
    if (gridCols_ < 0 || gridRows_ < 0 || mapCols_ < 0 || mapRows_ < 0) throw ERangeError();
    grid_.assign(static_cast<std::size_t>(gridCols_) * static_cast<std::size_t>(gridRows_), nullptr);
    const std::size_t spots = static_cast<std::size_t>(mapCols_) * static_cast<std::size_t>(mapRows_);
    sight_.Reset(spots);
    detector_.Reset(spots);
}

TRegisteredObject*& TPlayer::Grid(std::int32_t col, std::int32_t row) {
    if (col < 0 || col >= gridCols_ || row < 0 || row >= gridRows_) throw ERangeError();
    return grid_[static_cast<std::size_t>(row) * gridCols_ + col];
}

TRegisteredObject* TPlayer::Grid(std::int32_t col, std::int32_t row) const {
    if (col < 0 || col >= gridCols_ || row < 0 || row >= gridRows_) throw ERangeError();
    return grid_[static_cast<std::size_t>(row) * gridCols_ + col];
}

std::uint16_t& TPlayer::SightMap(std::int32_t x, std::int32_t y) {
    if (x < 0 || x >= mapCols_ || y < 0 || y >= mapRows_) throw ERangeError();
    return sight_[static_cast<std::size_t>(y) * mapCols_ + x];
}

std::uint16_t TPlayer::SightMap(std::int32_t x, std::int32_t y) const {
    if (x < 0 || x >= mapCols_ || y < 0 || y >= mapRows_) throw ERangeError();
    return sight_[static_cast<std::size_t>(y) * mapCols_ + x];
}

std::uint16_t& TPlayer::DetectorMap(std::int32_t x, std::int32_t y) {
    if (x < 0 || x >= mapCols_ || y < 0 || y >= mapRows_) throw ERangeError();
    return detector_[static_cast<std::size_t>(y) * mapCols_ + x];
}

std::uint16_t TPlayer::DetectorMap(std::int32_t x, std::int32_t y) const {
    if (x < 0 || x >= mapCols_ || y < 0 || y >= mapRows_) throw ERangeError();
    return detector_[static_cast<std::size_t>(y) * mapCols_ + x];
}

}  // namespace orbitfall
