#include "rtspmsg/RtspTokenizer.h"

#include <cstring>

namespace {

const unsigned char kLineFeed = kLineEnd;
const unsigned char kCarriageReturn = 13;
const unsigned char kQuote = '"';
const unsigned char kBackslash = '\\';

bool IsBlank(unsigned char c)
{
    return c == ' ' || c == '\t';
}

bool IsLineBreak(unsigned char c)
{
    return c == kCarriageReturn || c == kLineFeed;
}

// CR LF and LF CR are both one line end.
unsigned char LineBreakPartner(unsigned char lineBreak)
{
    return lineBreak == kCarriageReturn ? kLineFeed : kCarriageReturn;
}

bool IsWordStop(unsigned char c)
{
    return c < 32 || c == 127 || std::strchr(" \t=:;,-", c) != nullptr;
}

// The set's terminating NUL counts as a member, so a NUL byte in the text ends a token.
bool IsDelimiter(unsigned char c, const char* delimiters)
{
    return c != kLineFeed && std::strchr(delimiters, c) != nullptr;
}

// Collects the run of input that a token covers.
class TokenSpan {
public:
    explicit TokenSpan(const char* start) : start(start) {}

    void Add(const char* at)
    {
        if (first == nullptr)
            first = at;
        last = at + 1;
    }
    bool Empty() const { return first == nullptr; }
    RtspToken Make(unsigned char end) const
    {
        if (first == nullptr)
            return RtspToken{start, 0, end};
        return RtspToken{first, static_cast<int>(last - first), end};
    }

private:
    const char* start;
    const char* first = nullptr;
    const char* last = nullptr;
};

} // namespace

void RtspInput::Init(const char* text, int length)
{
    this->text = text;
    this->length = length > 0 ? length : 0;
    position = 0;
}

unsigned char RtspInput::GetChar()
{
    unsigned char c = Peek();
    if (c != kEndMarker)
        ++position;
    return c;
}

void RtspInput::PutBackUnlessEnd(unsigned char c)
{
    if (c != kEndMarker)
        PutBack();
}

unsigned char RtspInput::Peek() const
{
    if (position >= length)
        return kEndMarker;
    return static_cast<unsigned char>(text[position]);
}

std::string TokenString(const RtspToken& token)
{
    if (token.text == nullptr)
        return std::string();
    return std::string(token.text, static_cast<size_t>(token.length));
}

void CRtspTokenizer::SkipBlanks()
{
    while (IsBlank(input.Peek()))
        input.GetChar();
}

RtspToken CRtspTokenizer::NextToken(const char* delimiters)
{
    return delimiters != nullptr ? NextDelimited(delimiters) : NextWord();
}

// After a CR or LF: true when the line goes on as a folded line (its blanks are then skipped),
// false when the line ends here. A single break or a CR LF / LF CR pair followed by a blank
// folds, except that an empty value does not continue on a folded line after a pair.
bool CRtspTokenizer::ContinuesOnFoldedLine(unsigned char lineBreak, bool counted)
{
    unsigned char c = input.GetChar();
    if (c == LineBreakPartner(lineBreak)) {
        c = input.GetChar();
        if (IsBlank(c) && !counted) {
            input.PutBack();
            return false;
        }
    }
    if (IsBlank(c)) {
        SkipBlanks();
        return true;
    }
    input.PutBackUnlessEnd(c);
    return false;
}

RtspToken CRtspTokenizer::NextDelimited(const char* delimiters)
{
    SkipBlanks();
    TokenSpan span(input.text + input.position);
    unsigned char c = input.GetChar();
    if (c == kEndMarker)
        return RtspToken{nullptr, 0, kEndMarker};
    while (c != kEndMarker) {
        if (IsDelimiter(c, delimiters))
            return span.Make(c);
        if (IsLineBreak(c)) {
            if (!ContinuesOnFoldedLine(c, !span.Empty()))
                return span.Make(kLineEnd);
        } else {
            span.Add(input.text + input.position - 1);
        }
        c = input.GetChar();
    }
    return span.Make(kEndMarker);
}

RtspToken CRtspTokenizer::NextWord()
{
    SkipBlanks();
    const char* start = input.text + input.position;
    unsigned char c = input.GetChar();
    if (c == kEndMarker)
        return RtspToken{nullptr, 0, kEndMarker};
    if (IsLineBreak(c)) {
        unsigned char next = input.GetChar();
        if (next != LineBreakPartner(c))
            input.PutBackUnlessEnd(next);
        return RtspToken{nullptr, 0, kLineEnd};
    }
    bool quoted = c == kQuote;
    if (quoted) {
        // The token starts inside the quotes, so that it covers what they enclose.
        start = input.text + input.position;
        c = input.GetChar();
    }
    TokenSpan span(start);
    while (c != kEndMarker) {
        if (!quoted && IsWordStop(c))
            break;
        if (quoted && c == kQuote) {
            c = input.GetChar();
            break;
        }
        span.Add(input.text + input.position - 1);
        if (c == kBackslash && input.Peek() == kQuote) {
            input.GetChar();
            span.Add(input.text + input.position - 1);
        }
        c = input.GetChar();
    }
    // The character that ended the word stays in the input for the next call.
    input.PutBackUnlessEnd(c);
    return span.Make(c);
}
