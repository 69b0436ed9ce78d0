// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vumbrel::resolver {

// The stream addresses that the HTML page `pageText`, fetched from the
// absolute address `pageAddress`, offers: <video src>, <source src> inside a
// <video>, the og:video, og:video:url and og:video:secure_url meta tags
// (unless their og:video:type names no video), JSON-LD "contentUrl" values,
// and <a href> links to .mp4, .m4v, .webm, .mov, .mkv and .flv files.
// Each is read against the page's first <base href> (or the page address),
// in reply form, http and https only; playlists (.m3u8, .mpd) are left out.
// In page order, each address once. A pure function of its two inputs.
std::vector<std::string> extractStreamAddresses(std::string_view pageText,
                                                std::string_view pageAddress);

}  // namespace vumbrel::resolver
