#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Cuts `text` to at most `maxBytes` bytes without splitting a UTF-8 character, so a text cut
// to a stored or logged width stays valid UTF-8.
std::string cutUtf8(std::string_view text, std::size_t maxBytes);
