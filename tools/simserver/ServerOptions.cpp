#include "ServerOptions.h"

#include "PacedSender.h"
#include "rtspmsg/RtspTables.h"

#include <cstdlib>

namespace {

const int kMaxPicture = 4096;
const int kMaxFps = 120;
const int kMaxPort = 65535;

bool StartsWith(const std::string& text, const std::string& prefix)
{
    return text.compare(0, prefix.size(), prefix) == 0;
}

} // namespace

bool ServerOptions::ReadNumber(const std::string& text, int low, int high, int& out)
{
    if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    int value = std::atoi(text.c_str());
    if (value < low || value > high)
        return false;
    out = value;
    return true;
}

bool ServerOptions::ReadRate(const std::string& text, int& rate)
{
    if (text != "max")
        return ReadNumber(text, 0, CPacedSender::kMaxRate, rate);
    rate = CPacedSender::kUnlimited;
    return true;
}

const char* ServerOptions::Usage()
{
    return "usage: simserver [--port N] [--verbose] [--fault MODE]... [--loss PERCENT]\n"
           "                 [--width W --height H --fps F] [--duration SECONDS]\n"
           "                 [--blast PACKETS_PER_SECOND|max [--blast-size BYTES]] [--replay FILE]\n"
           "faults: ignore-keepalive, delay-replies=MS, error=METHOD:STATUS, close-after=SECONDS\n";
}

bool ServerOptions::Parse(const std::vector<std::string>& args, std::string& error)
{
    struct NumberFlag {
        const char* name;
        int* field;
        int low;
        int high;
    };
    const NumberFlag numbers[] = {
        {"--port", &port, 0, kMaxPort},          {"--loss", &lossPercent, 0, 100},
        {"--width", &width, 16, kMaxPicture},    {"--height", &height, 16, kMaxPicture},
        {"--fps", &fps, 1, kMaxFps},             {"--duration", &durationSeconds, 1, 24 * 3600},
        {"--blast-size", &blastSize, CBlastPacket::kMinSize, CBlastPacket::kMaxSize},
    };
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& flag = args[i];
        if (flag == "--verbose") {
            verbose = true;
            continue;
        }
        if (i + 1 >= args.size()) {
            error = "unknown flag or missing value: " + flag;
            return false;
        }
        const std::string& value = args[++i];
        if (flag == "--fault") {
            if (!ParseFault(value, error))
                return false;
            continue;
        }
        if (flag == "--replay") {
            replayFile = value;
            continue;
        }
        const NumberFlag* match = nullptr;
        for (const NumberFlag& number : numbers)
            if (flag == number.name)
                match = &number;
        if (!match && flag != "--blast") {
            error = "unknown flag: " + flag;
            return false;
        }
        if (!(match ? ReadNumber(value, match->low, match->high, *match->field) : ReadRate(value, blastRate))) {
            error = "bad value for " + flag + ": " + value;
            return false;
        }
        blast = blast || !match;
    }
    // 4:2:0 pictures have half-size chroma planes.
    if (width % 2 != 0 || height % 2 != 0) {
        error = "width and height must be even";
        return false;
    }
    return true;
}

bool ServerOptions::ParseFault(const std::string& mode, std::string& error)
{
    if (mode == "ignore-keepalive") {
        ignoreKeepAlive = true;
        return true;
    }
    if (StartsWith(mode, "error="))
        return ParseErrorFault(mode.substr(6), error);
    bool known = true;
    if (StartsWith(mode, "delay-replies="))
        known = ReadNumber(mode.substr(14), 0, 60000, replyDelayMs);
    else if (StartsWith(mode, "close-after="))
        known = ReadNumber(mode.substr(12), 1, 24 * 3600, closeAfterSeconds);
    else
        known = false;
    if (!known)
        error = "bad fault: " + mode;
    return known;
}

// METHOD:STATUS, both as the message tables know them (error=PLAY:503).
bool ServerOptions::ParseErrorFault(const std::string& faultText, std::string& error)
{
    std::string::size_type colon = faultText.find(':');
    int method = colon == std::string::npos ? -1 : MethodIndex(faultText.substr(0, colon).c_str());
    int status = colon == std::string::npos ? -1 : StatusIndex(faultText.substr(colon + 1).c_str());
    if (method < 0 || status < 0) {
        error = "bad fault: error=" + faultText + " (want METHOD:STATUS, e.g. error=PLAY:503)";
        return false;
    }
    errorReplies[method] = status;
    return true;
}
