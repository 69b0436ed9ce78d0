// SPDX-License-Identifier: MIT
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

namespace vumbrel::resolver {

// True when `address` begins with "http://" or "https://", in any letter case.
bool isHttpAddress(std::string_view address);

// The absolute http or https address that `reference` (as written in a page:
// surrounding blanks and embedded tabs and line breaks are ignored) names when
// read against the absolute address `base`, normalised (dot segments gone,
// scheme and host in small letters), without its fragment and in reply form.
// "" when the reference is empty, cannot be read, or names another scheme.
std::string resolveAddress(std::string_view base, std::string_view reference);

// The address as given by a user or a client: blanks around it dropped,
// "http://" put in front when it names no scheme, then as resolveAddress.
// "" when it is not an http or https address.
std::string normaliseAddress(std::string_view address);

// `address` with every byte percent-encoded that must not stand in an
// address or could end a value in a reply: controls, space, '"', '<', '>',
// '\\', '^', '`', '{', '|', '}', bytes of 0x80 and above, and '[' and ']'
// outside the host. '%' is kept, so an encoded address stays as it is.
std::string toReplyForm(std::string_view address);

// True when the path of `address` (its query and fragment not counted) ends
// with one of `extensions` (small letters, dot included), in any letter case.
bool pathEndsWith(std::string_view address, std::initializer_list<std::string_view> extensions);

// pathEndsWith for the video files that links name: .mp4 .m4v .webm .mov
// .mkv .flv.
bool hasVideoExtension(std::string_view address);

// pathEndsWith for HLS and DASH playlists: .m3u8 .mpd.
bool hasPlaylistExtension(std::string_view address);

}  // namespace vumbrel::resolver
