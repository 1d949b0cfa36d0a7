#pragma once

// 32-bit integer arithmetic as the native target does it: sums and products wrap modulo 2^32
// instead of being undefined, and a floating-point value is truncated toward zero and held at
// the int range (NaN reads as 0) instead of an out-of-range conversion.

int WrapAdd(int a, int b);
int WrapMultiply(int a, int b);
int TruncateToInt(double value);
