#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace sowmere::text {

// A text is a GBK byte string: a byte below 0x80 is a character by itself, a byte of 0x80 or
// above begins a two-byte character with the byte after it. Lengths count bytes, positions at
// this interface are 1-based. A text never holds a zero byte; bytes (a page body) may.
using Text = std::string;
using Bytes = std::string;

// 1-based position of the first occurrence of `what` at or after `start` (1 or less: the whole
// text; past the end: not found), or -1. Matches are tried only at character starts; a lead byte
// that is the last byte of the text ends the search. `ignoreCase` folds A-Z only. The empty
// search text is found at `start` when the part searched is not empty.
int findText(std::string_view text, std::string_view what, int start = 1, bool ignoreCase = false);

// Every occurrence of `what`, left to right, without overlap, tried at character starts, letter
// case significant. An empty `what` leaves the text unchanged.
Text replaceText(std::string_view text, std::string_view what, std::string_view with);

// The longest prefix that reads as a decimal number (leading blanks skipped, full-width digits
// and signs read as ASCII, sign, digits, point, exponent), truncated toward zero and saturated
// into a signed 32-bit count; 0 when there is none.
int textToNumber(std::string_view text);

// Lines ended by CR LF. The rest after the last CR LF is a line only when it is not empty; a lone
// CR or LF stays inside its line.
std::vector<Text> splitLines(std::string_view text);

// The text strictly between the first `leftMarker` at or after `startPosition` and the first
// `rightMarker` after it, empty when either is missing. "#引号" in a marker stands for a double
// quote. Markers match ignoring the case of A-Z unless `caseSensitive`.
Text TextBetween(std::string_view text, std::string_view leftMarker, std::string_view rightMarker,
                 int startPosition = 0, bool caseSensitive = false);

// Decimal, without leading zeros.
Text decimal(long long value);

}  // namespace sowmere::text
