// SPDX-License-Identifier: MIT
#include "download/cell_format.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace vumbrel {
namespace {

constexpr double kNearlyWhole = 1e-12;

}  // namespace

double floorNearlyWhole(double value) {
  const double whole = std::floor(value);
  return whole + 1 - value < kNearlyWhole ? whole + 1 : whole;
}

std::string speedText(int64_t downloaded, int32_t seconds) {
  if (seconds == 0) return "0";
  const double whole = floorNearlyWhole(static_cast<double>(downloaded) / seconds / 1000.0);
  if (!std::isfinite(whole)) return "0";
  char text[32];
  std::snprintf(text, sizeof text, "%.0f", whole);
  return text;
}

std::string progressText(int64_t downloaded, const std::string& sizeText) {
  const double size = std::strtod(sizeText.c_str(), nullptr);
  // A size of 0 stands for one the engine never learnt: no share can be told.
  if (!(size > 0) || !std::isfinite(size)) return "0.00";
  const double value = static_cast<double>(downloaded) / size * 100.0;
  const double magnitude = std::floor((std::fabs(value) + kNearlyWhole) * 100.0 + 0.5) / 100.0;
  const double rounded = std::copysign(magnitude, value);

  char text[64];
  std::snprintf(text, sizeof text, "%.13g", rounded);
  std::string out = text;
  if (out.find_first_of("eE") != std::string::npos) {
    std::snprintf(text, sizeof text, "%.2f", rounded);
    return text;
  }
  const size_t point = out.find('.');
  if (point == std::string::npos) return out + ".00";
  out.append(2 - std::min<size_t>(2, out.size() - point - 1), '0');
  return out;
}

}  // namespace vumbrel
