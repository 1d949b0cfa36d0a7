#pragma once

// Scratch texts of the npt and smpte time values.

// A time text holds at most 31 characters; a longer one is cut to 31, which still holds any
// time a server of this dialect sends.
const int kTimeTextSize = 32;

// Copies at most kTimeTextSize-1 bytes of text into scratch and ends it with a NUL.
void CopyTimeText(const char* text, int length, char (&scratch)[kTimeTextSize]);

// Splits the next field off rest the way strtok does (delimiters before the field are skipped,
// the delimiter after it is overwritten with a NUL); null when no field is left.
char* NextField(char*& rest, const char* delimiters);
