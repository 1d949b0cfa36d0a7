#pragma once

#include "BlastPacket.h"
#include "PacedSender.h"

#include <string>
#include <vector>

// What streamclient-blast is asked to do: where the packets go, how many a second, how large,
// and for how long.
struct BlasterOptions {
    static constexpr int kMaxSeconds = 24 * 3600;

    bool tcp = false;
    int port = -1; // UDP: the receiver's port; TCP: the port listened on (0: any, printed)
    int rate = CPacedSender::kUnlimited;
    int size = CBlastPacket::kDefaultSize;
    int seconds = 10; // 0: until a signal (or, over TCP, the peer closes)

    // Reads the arguments after the program name; false with a reason in error.
    bool Parse(const std::vector<std::string>& args, std::string& error);
    static const char* Usage();
};
