#pragma once

#include <string_view>

namespace vantrel {

// Handing links to the desktop, through the freedesktop.org tools. Nothing here
// waits for the program that opens a link. Core thread only.

// True when the desktop has a program registered for links of `scheme` (such as
// "vantrel"): `xdg-mime query default x-scheme-handler/<scheme>` names one. False
// when xdg-mime is missing or fails, or names nothing. Never raises.
bool HasUrlHandler(std::string_view scheme);

// Hands `url` (UTF-8, "scheme:…") to xdg-open, in the background, when
// HasUrlHandler answers true for its scheme. Returns whether it was handed over.
// The link goes to xdg-open as one argument, never through a shell's parsing.
// Never raises.
bool OpenUrlWithHandler(std::string_view url);

}  // namespace vantrel
