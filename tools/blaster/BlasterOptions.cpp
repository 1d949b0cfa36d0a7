#include "BlasterOptions.h"

#include "ServerOptions.h"

namespace {

const int kMaxPort = 65535;

} // namespace

const char* BlasterOptions::Usage()
{
    return "usage: streamclient-blast --udp PORT|--tcp PORT [--rate PACKETS_PER_SECOND|max] [--size BYTES]\n"
           "                          [--seconds S]\n";
}

bool BlasterOptions::Parse(const std::vector<std::string>& args, std::string& error)
{
    for (size_t i = 0; i + 1 < args.size(); i += 2) {
        const std::string& flag = args[i];
        const std::string& value = args[i + 1];
        bool read = false;
        if (flag == "--udp" || flag == "--tcp") {
            tcp = flag == "--tcp";
            // Datagrams need a real destination; a listener may take any port.
            read = ServerOptions::ReadNumber(value, tcp ? 0 : 1, kMaxPort, port);
        } else if (flag == "--rate") {
            read = ServerOptions::ReadRate(value, rate);
        } else if (flag == "--size") {
            read = ServerOptions::ReadNumber(value, CBlastPacket::kMinSize, CBlastPacket::kMaxSize, size);
        } else if (flag == "--seconds") {
            read = ServerOptions::ReadNumber(value, 0, kMaxSeconds, seconds);
        } else {
            error = "unknown flag: " + flag;
            return false;
        }
        if (!read) {
            error = "bad value for " + flag + ": " + value;
            return false;
        }
    }
    if (args.size() % 2 != 0)
        error = "missing value: " + args.back();
    else if (port < 0)
        error = "--udp PORT or --tcp PORT is needed";
    return error.empty();
}
