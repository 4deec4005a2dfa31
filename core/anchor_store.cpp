#include "core/anchor_store.h"

#include "platform/errors.h"

#include <cmath>
#include <string>

namespace chaos {

std::int16_t roundToInt16(double value) {
    const double rounded = std::nearbyint(value);  // the default rounding mode: halves to even
    if (!(rounded >= -32768.0 && rounded <= 32767.0))
        throw ProgramError(ErrorKind::Overflow, Problem::AnchorOutOfRange);
    return static_cast<std::int16_t>(rounded);
}

void AnchorStore::grow() {
    if (anchorCount == kMaxAnchors)
        throw ProgramError(ErrorKind::Overflow, Problem::TooManyAnchors);
    ++anchorCount;
    anchorX.resize(static_cast<std::size_t>(anchorCount), 0);
    anchorY.resize(static_cast<std::size_t>(anchorCount), 0);
}

void AnchorStore::setLast(float x, float y) {
    const auto last = static_cast<std::size_t>(anchorCount) - 1;
    anchorX.at(last) = roundToInt16(x);
    anchorY.at(last) = roundToInt16(y);
}

void AnchorStore::reset() {
    anchorX.assign(1, 0);
    anchorY.assign(1, 0);
    anchorCount = 0;
}

std::int16_t AnchorStore::at(const std::vector<std::int16_t>& values, std::int32_t k) {
    if (k < 1 || static_cast<std::size_t>(k) > values.size())
        throw ProgramError(ErrorKind::Subscript, Problem::NoSuchAnchor, std::to_string(k));
    return values[static_cast<std::size_t>(k) - 1];
}

} // namespace chaos
