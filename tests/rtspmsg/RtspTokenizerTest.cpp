#include "rtspmsg/RtspTokenizer.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

const char* const kWord = nullptr;

struct Expected {
    const char* text; // null: a token without text
    int end;
};

// One call per entry of sets (kWord: word mode); position: what the calls consumed.
struct Case {
    const char* name;
    std::string input;
    std::vector<const char*> sets;
    std::vector<Expected> tokens;
    int position;
};

// Delimited mode, then folded lines, then word mode.
const Case kCases[] = {
    {"header line", "CSeq: 5\r\nX", {":", "\n"}, {{"CSeq", ':'}, {"5", 10}}, 9},
    {"blanks inside counted", "a  ;", {";"}, {{"a  ", ';'}}, 4},
    {"only CR LF", "\r\n", {"\n"}, {{"", 10}}, 2},
    {"empty text", "", {";"}, {{nullptr, 255}}, 0},
    {"runs out", "abc", {";", ";"}, {{"abc", 255}, {nullptr, 255}}, 3},
    {"lone CR", "ab\rcd", {"\n", "\n"}, {{"ab", 10}, {"cd", 255}}, 5},
    {"lone LF", "ab\ncd", {"\n", "\n"}, {{"ab", 10}, {"cd", 255}}, 5},
    {"LF CR pair", "ab\n\rcd", {"\n"}, {{"ab", 10}}, 4},
    {"blank line ends block", "a\r\n\r\nbody", {"\n", "\n"}, {{"a", 10}, {"", 10}}, 5},
    {"NUL is a delimiter", std::string("ab\0cd", 5), {";", ";"}, {{"ab", 0}, {"cd", 255}}, 5},
    {"byte 255 ends input", "ab\xff" "cd", {";", ";"}, {{"ab", 255}, {nullptr, 255}}, 2},
    {"LF in set is a line end", "a\nb", {"\n"}, {{"a", 10}}, 2},
    // A fold stays inside the token; read again it is a fold once more.
    {"fold in a line", "Session: 1\r\n  ;t=6\r\n\r\n", {"\n", "\n"}, {{"Session: 1\r\n  ;t=6", 10}, {"", 10}}, 22},
    {"fold before delimiter", "1\r\n ;t", {";", ";"}, {{"1", ';'}, {"t", 255}}, 6},
    {"fold with tab after LF", "a\n\tb", {"\n"}, {{"a\n\tb", 255}}, 4},
    // An empty value does not continue on a folded line.
    {"empty value before fold", "\r\n x", {"\n", "\n"}, {{"", 10}, {"x", 255}}, 4},
    {"fold before first char", "\n x;", {";"}, {{"x", ';'}}, 4},
    {"status line", "RTSP/1.0 200 OK\r\nX", {kWord, kWord, kWord, kWord, kWord},
     {{"RTSP/1.0", ' '}, {"200", ' '}, {"OK", 13}, {nullptr, 10}, {"X", 255}}, 18},
    {"stop char stays", "=a", {kWord, kWord}, {{"", '='}, {"", '='}}, 0},
    {"stops at NUL", std::string("ab\0", 3), {kWord}, {{"ab", 0}}, 2},
    {"stops at hyphen", "a-b", {kWord, "-", kWord}, {{"a", '-'}, {"", '-'}, {"b", 255}}, 3},
    {"lone LF then CR", "\n\rx", {kWord, kWord}, {{nullptr, 10}, {"x", 255}}, 3},
    {"high bytes are ordinary", "\xe9t\xe9 x", {kWord}, {{"\xe9t\xe9", ' '}}, 3},
    {"quoted word", "\"a b;c\" d", {kWord, kWord}, {{"a b;c", ' '}, {"d", 255}}, 9},
    {"escaped quote", "\"a\\\"b\"", {kWord}, {{"a\\\"b", 255}}, 6},
    {"unclosed quote", "\"ab", {kWord}, {{"ab", 255}}, 3},
    {"then delimited", "PLAY rtsp://h/x y RTSP/1.0", {kWord, " ", kWord},
     {{"PLAY", ' '}, {"rtsp://h/x", ' '}, {"y", ' '}}, 17},
};

} // namespace

TEST(RtspTokenizer, TokensAndWhatTheyConsume)
{
    for (const auto& c : kCases) {
        RtspInput input;
        input.Init(c.input.data(), int(c.input.size()));
        CRtspTokenizer tokenizer(input);
        for (size_t i = 0; i < c.sets.size(); ++i) {
            RtspToken token = tokenizer.NextToken(c.sets[i]);
            const Expected& e = c.tokens[i];
            if (e.text == nullptr) {
                EXPECT_EQ(nullptr, token.text) << c.name << " token " << i;
                EXPECT_EQ(0, token.length) << c.name << " token " << i;
            } else {
                EXPECT_EQ(e.text, TokenString(token)) << c.name << " token " << i;
            }
            EXPECT_EQ(e.end, token.end) << c.name << " token " << i;
        }
        EXPECT_EQ(c.position, input.position) << c.name;
    }
}
