#pragma once

#include <string>

// Returned at the end of the input; a byte 255 in the text ends the input as well.
const unsigned char kEndMarker = 255;
// The end of a token that a line end stopped, whether CR, LF or a pair of them.
const unsigned char kLineEnd = 10;

// The text being read. It need not end with a NUL; the tokenizer never reads past length.
struct RtspInput {
    const char* text = nullptr;
    int length = 0;
    int position = 0;

    void Init(const char* text, int length);
    unsigned char GetChar();
    // Only right after a GetChar that moved the position.
    void PutBack() { --position; }
    void PutBackUnlessEnd(unsigned char c);
    // The byte at the position, without consuming it; the end marker at the end.
    unsigned char Peek() const;
};

// A piece of the caller's text: no copy is made. text is null for the empty tokens that word mode
// returns at a line end or at the end of the input. end is the character that ended the token: a
// delimiter, 10 for a line end, kEndMarker, or in word mode the character the word stopped at.
struct RtspToken {
    const char* text = nullptr;
    int length = 0;
    unsigned char end = kEndMarker;
};

// The token's characters as a string (empty for a token without text).
std::string TokenString(const RtspToken& token);

// Cuts RTSP text into tokens in place, without allocating.
//
// A token always covers a contiguous run of the input, from its first character to its last:
// blanks and line breaks of a fold before the first character, and a fold right before the
// delimiter, are left out; a fold in the middle stays inside the run, and a nested tokenizer
// over the token reads it as a fold again. A quoted word covers the characters inside the
// quotes, an escaped quote (backslash and quote) included. Callers build strings from pointer
// and length, so a token never reaches beyond what was read.
class CRtspTokenizer {
public:
    explicit CRtspTokenizer(RtspInput& input) : input(input) {}

    void SkipBlanks();
    // delimiters: NUL-terminated set for delimited mode; null for word mode.
    RtspToken NextToken(const char* delimiters);

private:
    RtspToken NextDelimited(const char* delimiters);
    RtspToken NextWord();
    bool ContinuesOnFoldedLine(unsigned char lineBreak, bool counted);

    RtspInput& input;
};
