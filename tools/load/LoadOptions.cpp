#include "LoadOptions.h"

#include <cstdlib>

namespace {

// Beyond the library's 100 players, to see how it refuses the rest.
const int kMaxStreams = 1000;
const int kMaxSeconds = 24 * 3600;
const int kMaxPort = 65535;
const int kMaxReceiveBuffer = 1 << 30;

// A whole decimal number within [low, high].
bool ReadNumber(const std::string& text, int low, int high, int& out)
{
    char* end = nullptr;
    long value = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || value < low || value > high)
        return false;
    out = static_cast<int>(value);
    return true;
}

} // namespace

const char* CLoadOptions::Usage()
{
    return "usage: streamclient-load --url rtsp://127.0.0.1:PORT/PATH --streams N --seconds T [--tcp] [--window]\n"
           "                         [--json FILE]\n"
           "       streamclient-load --plain-udp PORT --seconds T [--receive-buffer BYTES] [--json FILE]\n"
           "       streamclient-load --plain-tcp PORT --seconds T [--receive-buffer BYTES] [--json FILE]\n";
}

bool CLoadOptions::Parse(const std::vector<std::string>& args, std::string& error)
{
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& flag = args[i];
        if (flag == "--tcp")
            tcp = true;
        else if (flag == "--window")
            window = true;
        else if (i + 1 >= args.size()) {
            error = "unknown flag or missing value: " + flag;
            return false;
        } else if (!ParseValue(flag, args[++i], error))
            return false;
    }
    return Check(error);
}

bool CLoadOptions::ParseValue(const std::string& flag, const std::string& value, std::string& error)
{
    bool good = true;
    if (flag == "--url") {
        url = value;
    } else if (flag == "--json") {
        jsonPath = value;
    } else if (flag == "--streams") {
        good = ReadNumber(value, 1, kMaxStreams, streams);
    } else if (flag == "--seconds") {
        good = ReadNumber(value, 1, kMaxSeconds, seconds);
    } else if (flag == "--plain-udp" || flag == "--plain-tcp") {
        mode = flag == "--plain-udp" ? Mode::PlainUdp : Mode::PlainTcp;
        good = ReadNumber(value, 1, kMaxPort, plainPort);
    } else if (flag == "--receive-buffer") {
        good = ReadNumber(value, 1, kMaxReceiveBuffer, receiveBuffer);
    } else {
        error = "unknown flag: " + flag;
        return false;
    }
    if (!good)
        error = "bad value for " + flag + ": " + value;
    return good;
}

// The modes exclude each other: a baseline has one stream, its own transport and no player.
bool CLoadOptions::Check(std::string& error) const
{
    if (mode == Mode::Library && url.empty())
        error = "give --url, --plain-udp or --plain-tcp";
    else if (mode != Mode::Library && (!url.empty() || tcp || window || streams != 1))
        error = "--plain-udp and --plain-tcp take only --seconds, --receive-buffer and --json";
    else if (mode == Mode::Library && receiveBuffer != 0)
        error = "--receive-buffer is for the baselines: the library sets its own";
    return error.empty();
}
