// SPDX-License-Identifier: MIT
#pragma once

#include <QIcon>
#include <QPixmap>
#include <QSize>
#include <vector>

// The pictures the window draws itself: the window (and tray) icon and the
// task list's row pictures.
namespace vumbrel::ui {

inline constexpr QSize kRowPictureSize{22, 20};
inline constexpr int kRowPictureCount = 5;

// The five row pictures, 22 x 20 on a transparent background, by index:
// 0 play (green circle, white triangle), 1 pause (blue circle, two white bars),
// 2 red diagonal cross, 3 blue square with a white tick, 4 amber square with
// a white clock-hand mark.
std::vector<QPixmap> rowPictures();

// The 32 x 32 window icon: a blue tile with a white arrow into a tray.
QIcon programIcon();

}  // namespace vumbrel::ui
