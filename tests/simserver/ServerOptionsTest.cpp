#include "ServerOptions.h"

#include "PacedSender.h"
#include "rtspmsg/RtspTables.h"

#include <gtest/gtest.h>

namespace {

struct RefusedCase { std::vector<std::string> args; const char* error; };

TEST(ServerOptions, ReadsEveryFlag)
{
    ServerOptions options;
    std::string error;
    ASSERT_TRUE(options.Parse({"--port", "9000", "--verbose", "--loss", "5", "--width", "320", "--height", "180",
                               "--fps", "30", "--duration", "60", "--fault", "ignore-keepalive", "--fault",
                               "delay-replies=250", "--fault", "error=PLAY:503", "--fault", "error=SETUP:454",
                               "--fault", "close-after=3", "--blast", "357", "--blast-size", "4096"},
                              error))
        << error;
    EXPECT_EQ(9000, options.port);
    EXPECT_TRUE(options.verbose);
    EXPECT_EQ(5, options.lossPercent);
    EXPECT_EQ(320, options.width);
    EXPECT_EQ(180, options.height);
    EXPECT_EQ(30, options.fps);
    EXPECT_EQ(60, options.durationSeconds);
    EXPECT_TRUE(options.ignoreKeepAlive);
    EXPECT_EQ(250, options.replyDelayMs);
    EXPECT_EQ(3, options.closeAfterSeconds);
    EXPECT_TRUE(options.blast);
    EXPECT_EQ(357, options.blastRate);
    EXPECT_EQ(4096, options.blastSize);
    EXPECT_EQ((std::map<int, int>{{MethodIndex("SETUP"), StatusIndex("454")}, {MethodIndex("PLAY"), StatusIndex("503")}}),
              options.errorReplies);
}

TEST(ServerOptions, RefusesWhatItCannotRead)
{
    const RefusedCase cases[] = {
        {{"--port"}, "unknown flag or missing value: --port"},
        {{"--port", "70000"}, "bad value for --port: 70000"},
        {{"--loss", "-1"}, "bad value for --loss: -1"},
        {{"--fps", "0"}, "bad value for --fps: 0"},
        {{"--width", "641"}, "width and height must be even"},
        {{"--colour", "red"}, "unknown flag: --colour"},
        {{"--blast", "fast"}, "bad value for --blast: fast"},
        {{"--blast", "-1"}, "bad value for --blast: -1"},
        {{"--blast", "10000001"}, "bad value for --blast: 10000001"},
        {{"--blast-size", "12"}, "bad value for --blast-size: 12"},
        {{"--blast-size", "4097"}, "bad value for --blast-size: 4097"},
        {{"--fault", "explode"}, "bad fault: explode"},
        {{"--fault", "delay-replies=soon"}, "bad fault: delay-replies=soon"},
        {{"--fault", "error=PLAY:299"}, "bad fault: error=PLAY:299 (want METHOD:STATUS, e.g. error=PLAY:503)"},
        {{"--fault", "error=play:503"}, "bad fault: error=play:503 (want METHOD:STATUS, e.g. error=PLAY:503)"},
    };
    for (const RefusedCase& c : cases) {
        ServerOptions options;
        std::string error;
        EXPECT_FALSE(options.Parse(c.args, error)) << c.error;
        EXPECT_EQ(c.error, error);
    }
}

TEST(ServerOptions, BlastRateIsANumberOrMax)
{
    const std::pair<const char*, int> rates[] = {{"0", 0}, {"max", CPacedSender::kUnlimited}};
    for (const auto& rate : rates) {
        ServerOptions options;
        std::string error;
        ASSERT_TRUE(options.Parse({"--blast", rate.first}, error)) << error;
        EXPECT_TRUE(options.blast) << rate.first;
        EXPECT_EQ(rate.second, options.blastRate) << rate.first;
    }
}

} // namespace
