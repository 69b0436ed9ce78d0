// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>

namespace vumbrel {

// The speed cell: whole thousands of bytes per second, ⌊downloaded ÷ seconds ÷
// 1000⌋, where a quotient less than 1e-12 below a whole number counts as that
// number. "0" when no second has passed yet.
std::string speedText(int64_t downloaded, int32_t seconds);

// Rounds down toward minus infinity, except that a value less than 1e-12
// below a whole number counts as that number.
double floorNearlyWhole(double value);

// The progress cell: downloaded ÷ size × 100 with exactly two decimals
// (halves away from zero after 1e-12 is added to the magnitude; the shortest
// form of up to 13 significant digits, padded with zeros). `sizeText` is the
// size cell; a size that is not a positive number gives "0.00".
std::string progressText(int64_t downloaded, const std::string& sizeText);

}  // namespace vumbrel
