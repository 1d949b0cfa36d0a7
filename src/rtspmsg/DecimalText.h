#pragma once

// Reads a decimal integer the way the C library's atoi and strtol(base 10) read one: leading
// blanks, an optional sign, then digits up to the first other character; 0 when there are no
// digits. Values beyond the int range are held at its ends, as on the 32-bit native target,
// where long is as wide as int, instead of being undefined or wrapping.
int DecimalToInt(const char* text);
