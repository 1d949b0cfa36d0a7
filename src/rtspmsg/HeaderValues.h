#pragma once

class CRtspHeader;

// Readers of the header values that get particular treatment. text is the part of a header line
// after the colon; it is not NUL-terminated and is read only within length bytes.

// "Range": adds a CRtspRangeValue in smpte or npt to header, or nothing for clock and for units
// it does not know.
void ParseRange(const char* text, int length, CRtspHeader* header);
// "RTP-Info": one value (without parameters) per entry that carries a seq= or rtptime=.
void ParseRtpInfo(const char* text, int length, CRtspHeader* header);
void ParseRtpInfoEntry(const char* text, int length, CRtspHeader* header);
// The first occurrence of key within the length bytes of text whose nearest preceding
// character other than a space is separator; null when there is none.
const char* FindKey(const char* text, int length, const char* key, char separator);
