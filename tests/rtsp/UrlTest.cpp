#include "rtsp/Url.h"

#include <gtest/gtest.h>

TEST(Url, CutsSchemeHostPortAndPath)
{
    const struct {
        const char *url, *scheme, *host;
        unsigned short port;
        const char* path;
        int schemeType;
        bool valid;
    } cases[] = {
        {"rtsp://cam/live/av_stream", "rtsp", "cam", 554, "/live/av_stream", CUrl::Rtsp, true},
        {"rtsp://cam:555/x", "rtsp", "cam", 555, "/x", CUrl::Rtsp, true},
        {"rtsp://10.0.0.1", "rtsp", "10.0.0.1", 554, "", CUrl::Rtsp, true},
        {"http://h/p", "http", "h", 80, "/p", CUrl::Http, true},
        {"file://h:x/p", "file", "h", 0, "/p", CUrl::File, true},
        {"RTSP://cam/x", "RTSP", "cam", 0, "/x", CUrl::Other, false},
        {"cam/x", "", "cam", 0, "/x", CUrl::Other, false},
        {"rtsp://h:65537/x", "rtsp", "h", 1, "/x", CUrl::Rtsp, true},
        {"rtsp://h:-1/x", "rtsp", "h", 65535, "/x", CUrl::Rtsp, true},
        {"rtsp://h:99999999999999999999/x", "rtsp", "h", 65535, "/x", CUrl::Rtsp, true},
        {"rtsp://h: 12ab/x", "rtsp", "h", 12, "/x", CUrl::Rtsp, true},
        {"rtsp://h:1:2/x:3", "rtsp", "h", 1, "/x:3", CUrl::Rtsp, true},
        {"", "", "", 0, "", CUrl::Other, false},
    };
    for (const auto& c : cases) {
        CUrl url(c.url);
        EXPECT_EQ(c.url, url.GetUrl());
        EXPECT_EQ(c.scheme, url.GetScheme()) << c.url;
        EXPECT_EQ(c.host, url.GetHost()) << c.url;
        EXPECT_EQ(c.port, url.GetPort()) << c.url;
        EXPECT_EQ(c.path, url.GetPath()) << c.url;
        EXPECT_EQ(c.schemeType, url.GetSchemeType()) << c.url;
        EXPECT_EQ(c.valid, url.IsValid()) << c.url;
    }
}

TEST(Url, LiveStreamPathIsTheTextFromTheLastSlash)
{
    const struct { const char* text; bool live; } cases[] = {
        {"/a/av_stream", true},       {"/a/av_stream2", true},
        {"/av_stream", true},         {"rtsp://1.2.3.4/live/av_stream", true},
        {"/a/av_strea", false},       {"/av_stream/x", false},
        {"/live", false},             {"av_stream", false},
        {"", false},                  {nullptr, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.live, IsLiveStreamPath(c.text)) << (c.text ? c.text : "(null)");
}
