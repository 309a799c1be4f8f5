// The configuration line of the logger, "Quenta/Quenta.cfg": its default text
// and how it is cut into tokens. Pure functions on bytes.
#pragma once
#include <cstddef>
#include <cstdint>

namespace quenta {

constexpr char kDefaultConfig[] =
    "000, 999, No; Log Index/ Max Log Index/ Logging(if you need Quenta, replace 'No' to 'Yes') "
    "Ver 2.10 Dec. 7 '01\r\n";
constexpr size_t kDefaultConfigSize = sizeof kDefaultConfig - 1;  // no NUL in the file
constexpr size_t kConfigReadSize = 128;  // only this much of the file is ever read
constexpr size_t kTokenSize = kConfigReadSize + 1;
constexpr size_t kNumberLength = 7;  // the index and the maximum count this many characters

// Where the text read ends: at its first NUL, or after size bytes.
const char *ConfigEnd(const char *text, size_t size);

// Skips blanks and commas, then copies one token (a run up to the next blank
// or comma, or the text between double quotes) into token, cut to fit and
// NUL-ended. Never reads at or past end. Returns the position after the
// character that ended the token, or end.
const char *NextToken(char *token, size_t tokenSize, const char *in, const char *end);

// A decimal number from the first kNumberLength characters of a token:
// leading blanks, an optional sign, digits up to the first other character.
int32_t ConfigNumber(const char *token);

// The logging switch: on when the token begins with "Yes".
bool SwitchIsOn(const char *token);

}  // namespace quenta
