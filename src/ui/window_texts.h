// SPDX-License-Identifier: MIT
#pragma once

// The window's own texts, in UTF-8. The contact number appears after
// "作者联系QQ：" in the caption, the tray tooltip, the status bar and the
// contact message; it is set here only.
namespace vumbrel::ui {

inline constexpr char kContactNumber[] = "800012345";
inline constexpr char kContactPrefix[] = "作者联系QQ：";
// Eleven blanks between the name and the contact.
inline constexpr char kCaptionHead[] = "Vumbrel           ";
// Five blanks between the name and the contact.
inline constexpr char kTrayTipHead[] = "Vumbrel     ";
inline constexpr char kSignatureHead[] = "Vumbrel 视频下载工具  ";
inline constexpr char kVersionText[] = "ver.12.11";
inline constexpr char kSamplePageAddress[] = "http://v.example.com/course/1024.html";
inline constexpr int kTrayIconId = 100;
inline constexpr int kTrayTipBytes = 62;

}  // namespace vumbrel::ui
