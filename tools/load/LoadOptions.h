#pragma once

#include <string>
#include <vector>

// What the command line asks of the load tool: play N streams through the library, or receive
// from one sender without it (the baselines), for how long, and where the report goes.
class CLoadOptions {
public:
    enum class Mode { Library, PlainUdp, PlainTcp };

    // Reads the arguments after the program name; false with a reason in error.
    bool Parse(const std::vector<std::string>& args, std::string& error);
    static const char* Usage();

    Mode mode = Mode::Library;
    std::string url;      // library mode
    int streams = 1;      // library mode
    bool tcp = false;     // library mode: media over TCP instead of UDP
    bool window = false;  // library mode: give each player a window, so the decoder runs too
    int plainPort = 0;    // baselines
    int receiveBuffer = 0; // baselines: SO_RCVBUF in bytes, 0 for the system's default
    int seconds = 10;     // the measuring window
    std::string jsonPath; // empty: the report goes to stdout

private:
    bool ParseValue(const std::string& flag, const std::string& value, std::string& error);
    bool Check(std::string& error) const;
};
