#pragma once

#include "BlastPacket.h"

#include <map>
#include <string>
#include <vector>

// What the command line asks of the simulator: where it listens, the stream it makes and the
// faults it plays for tests and demos.
struct ServerOptions {
    static constexpr int kDefaultPort = 8554;

    int port = kDefaultPort; // 0: a port the system picks (the tests)
    bool verbose = false;
    int width = 640;
    int height = 360;
    int fps = 25;
    int durationSeconds = 120; // length of a recorded stream
    int lossPercent = 0;       // share of media packets dropped

    // Blast mode: sessions send blaster packets instead of encoded pictures.
    bool blast = false;
    int blastRate = 0; // packets a second per session; CPacedSender::kUnlimited: as fast as it goes
    int blastSize = CBlastPacket::kDefaultSize;

    // Replay mode: sessions send this recording (CRtpRecording) instead of encoded pictures.
    std::string replayFile;

    // Faults.
    bool ignoreKeepAlive = false;
    int replyDelayMs = 0;
    int closeAfterSeconds = 0; // 0: control connections stay open
    // Method index -> status index to answer with instead of serving the request.
    std::map<int, int> errorReplies;

    // Reads the arguments after the program name; false with a reason in error.
    bool Parse(const std::vector<std::string>& args, std::string& error);
    static const char* Usage();
    // A whole decimal number within [low, high] into out; false (out untouched) otherwise.
    static bool ReadNumber(const std::string& text, int low, int high, int& out);
    // A packet rate: a number of packets a second up to CPacedSender::kMaxRate, or "max".
    static bool ReadRate(const std::string& text, int& rate);

private:
    bool ParseFault(const std::string& mode, std::string& error);
    bool ParseErrorFault(const std::string& faultText, std::string& error);
};
