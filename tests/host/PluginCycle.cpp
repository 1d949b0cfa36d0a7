// A host that treats the library as a plug-in: it loads it at run time, plays four streams (two
// over UDP, two over TCP) from the scripted server for a moment, stops them, finishes the
// library and unloads it at once, round after round. The library's threads are still ending
// when it is unloaded, and the next round may load it again while they do. At the end the
// process holds the threads and handles it held before the first load, and neither the library
// nor its decoder is loaded any more.
//   plugin_cycle [--hold] LIBRARY DECODER [RESIDENT...]
#include "LoadedLibrary.h"
#include "ProcessStats.h"
#include "fakes/FakeRtspServer.h"
#include "fakes/LoopbackSocket.h"
#include "fakes/WaitUntil.h"
#include "streamclient.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

namespace {

const int kRounds = 20;
const int kPlayers = 4; // the first half over UDP, the rest over TCP
const int kPlayerIds = 100;
const int kSendGapMs = 10;
// Decoded and paced by the decoder stand-in, drawn nowhere.
HWND const kWindow = reinterpret_cast<HWND>(1);
// The threads still ending after the last round (a keep-alive thread's close can linger).
const int kSettleMs = 15000;

std::atomic<int> received[kPlayerIds];

void STREAMCLIENT_CALL CountMedia(int playerId, void*, int dataType, const unsigned char*, int)
{
    if (dataType == STREAM_DATA_MEDIA && playerId >= 0 && playerId < kPlayerIds)
        received[playerId].fetch_add(1, std::memory_order_relaxed);
}

void STREAMCLIENT_CALL IgnoreMessage(int, int, int, int) {}

struct Exports {
    explicit Exports(const char* path) : module(path) {}

    bool Resolve()
    {
        init = module.Get<decltype(init)>("InitStreamClientLib");
        fini = module.Get<decltype(fini)>("FiniStreamClientLib");
        create = module.Get<decltype(create)>("StreamClient_CreatePlayer");
        open = module.Get<decltype(open)>("StreamClient_OpenURL");
        play = module.Get<decltype(play)>("StreamClient_Play");
        stop = module.Get<decltype(stop)>("StreamClient_Stop");
        return init && fini && create && open && play && stop;
    }

    CLoadedLibrary module;
    decltype(&InitStreamClientLib) init = nullptr;
    decltype(&FiniStreamClientLib) fini = nullptr;
    decltype(&StreamClient_CreatePlayer) create = nullptr;
    decltype(&StreamClient_OpenURL) open = nullptr;
    decltype(&StreamClient_Play) play = nullptr;
    decltype(&StreamClient_Stop) stop = nullptr;
};

struct Player {
    bool udp = true;
    int id = -1;
    int clientPort = 0;
    SOCKET media = 0;
};

void PutLittleEndian(std::string& out, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out += static_cast<char>((value >> (8 * i)) & 0xff);
}

// The decoder stand-in's 40-byte header: H.264 at 90 kHz, one RTP packet per datagram over UDP,
// each behind its 2-byte length over TCP.
std::string StreamHeader(bool udp)
{
    std::string header = "LUMO";
    for (uint32_t field : {1u, 1u, udp ? 0u : 1u, 352u, 288u, 25u, 90000u, 0u})
        PutLittleEndian(header, field);
    return header + std::string(4, '\0');
}

std::string SetupReply(int mediaPort, bool udp)
{
    std::string ports = std::to_string(mediaPort) + "-" + std::to_string(mediaPort + 1);
    return ReplyText("200 OK", 1, {"Session: 7", "Transport: RTP/AVP/UDP;unicast;server_port=" + ports},
                     StreamHeader(udp));
}

// An RTP packet carrying an access unit delimiter: the decoder takes it and shows nothing.
std::string MediaPacket(int sequence)
{
    std::string packet = {'\x80', '\xe0', static_cast<char>(sequence >> 8), static_cast<char>(sequence)};
    return packet + std::string("\0\0\0\0\x12\x34\x56\x78\x09\xf0", 10);
}

std::string Framed(const std::string& packet)
{
    return std::string{static_cast<char>(packet.size() >> 8), static_cast<char>(packet.size())} + packet;
}

// The client port the SETUP asked for: a library loaded afresh starts from 10000, one still
// loaded from the last round goes on through its pools.
int ClientPort(const std::string& setup)
{
    std::string::size_type at = setup.find("client_port=");
    return at == std::string::npos ? 0 : std::atoi(setup.c_str() + at + 12);
}

bool Fail(int round, const std::string& what)
{
    std::printf("round %d: %s\n", round, what.c_str());
    return false;
}

bool OpenPlayer(Exports& lib, CFakeRtspServer& server, const CLoopbackSocket& tcpMedia, Player& p)
{
    p.id = lib.create(nullptr, kWindow, CountMedia, IgnoreMessage, p.udp ? 1 : 0);
    if (p.id < 0)
        return false;
    received[p.id] = 0;
    server.Script({FakeReply::Text(SetupReply(tcpMedia.Port(), p.udp))});
    std::string url = server.Url("/live/av_stream");
    if (lib.open(p.id, url.c_str(), nullptr) != 1)
        return false;
    p.clientPort = ClientPort(server.Requests().back());
    if (!p.udp && (p.media = tcpMedia.AcceptOne()) == 0)
        return false;
    return lib.play(p.id) == 1;
}

void SendMedia(const Player (&players)[kPlayers], const CLoopbackSocket& sender, int playMs)
{
    for (int sent = 0; sent * kSendGapMs < playMs; ++sent) {
        std::string packet = MediaPacket(sent);
        std::string framed = Framed(packet);
        for (const Player& p : players) {
            if (p.udp)
                sender.SendTo(p.clientPort, packet);
            else
                SendSocket(p.media, framed.data(), static_cast<int>(framed.size()));
        }
        Sleep(kSendGapMs);
    }
}

// Load, four streams receiving media, stop, finish, unload at once. What each player received
// goes to the report.
bool PlayRound(const char* libraryPath, CFakeRtspServer& server, const CLoopbackSocket& sender, int round,
               std::string& report)
{
    Exports lib(libraryPath);
    if (!lib.module.IsOpen() || !lib.Resolve())
        return Fail(round, "the library did not load");
    if (lib.init() != 0)
        return Fail(round, "InitStreamClientLib failed");
    CLoopbackSocket tcpMedia(SOCK_STREAM);
    tcpMedia.Listen(kPlayers);
    Player players[kPlayers];
    bool opened = true;
    for (int i = 0; i < kPlayers && opened; ++i) {
        players[i].udp = i < kPlayers / 2;
        opened = OpenPlayer(lib, server, tcpMedia, players[i]);
        if (!opened)
            Fail(round, "player " + std::to_string(i) + " did not open and play");
    }
    const int playMs = 300 + (round * 211) % 401;
    if (opened)
        SendMedia(players, sender, playMs);
    report = "played " + std::to_string(playMs) + " ms, chunks received";
    bool allReceived = opened;
    for (const Player& p : players) {
        int chunks = p.id >= 0 ? received[p.id].load() : 0;
        report += " " + std::to_string(chunks);
        allReceived = allReceived && chunks > 0;
        if (p.id >= 0)
            lib.stop(p.id);
        if (p.media != 0)
            closesocket(p.media);
    }
    lib.fini();
    return allReceived || Fail(round, "a player received no media: " + report);
}

// Neither the library nor its decoder is loaded.
bool Gone(const char* library, const char* decoder)
{
    return !CLoadedLibrary::IsLoaded(library) && !CLoadedLibrary::IsLoaded(decoder);
}

} // namespace

int main(int argc, char** argv)
{
    const bool hold = argc > 1 && std::string(argv[1]) == "--hold";
    if (argc < (hold ? 4 : 3)) {
        std::fprintf(stderr, "usage: plugin_cycle [--hold] LIBRARY DECODER [RESIDENT...]\n");
        return 2;
    }
    char** args = argv + (hold ? 2 : 1);
    const char* library = args[0];
    const char* decoder = args[1];
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0)
        return 1;
    // Libraries the host keeps loaded itself, as a host using them would: the decoder's own
    // dependencies, whose unloading is not ours to test.
    for (char** resident = args + 2; resident < argv + argc; ++resident) {
        if (!CLoadedLibrary::LoadForGood(*resident))
            return 1;
    }
    CFakeRtspServer server;
    CLoopbackSocket sender(SOCK_DGRAM);
    const int threadsBefore = CProcessStats::ThreadCount();
    const int handlesBefore = CProcessStats::OpenHandleCount();
    std::printf("before: %d threads, %d handles\n", threadsBefore, handlesBefore);
    // With --hold the host also holds the library from the first round to the last, and lets go
    // of it while the last round's threads are still ending: under ThreadSanitizer, which takes
    // what the ended threads of an unloaded instance did for races with a new instance loaded
    // where it lay.
    std::unique_ptr<CLoadedLibrary> held(hold ? new CLoadedLibrary(library) : nullptr);
    for (int round = 1; round <= kRounds; ++round) {
        // Every other round the host waits until the last instance has gone: the new one then
        // takes the same client ports again. Otherwise it gets the same instance back.
        if (!held && round % 2 == 0 && !WaitUntil([&] { return Gone(library, decoder); }, kSettleMs)) {
            Fail(round, "the last instance did not go");
            return 1;
        }
        const bool fresh = !CLoadedLibrary::IsLoaded(library);
        std::string report;
        if (!PlayRound(library, server, sender, round, report))
            return 1;
        std::printf("round %d, %s: %s; then %d threads, %d handles\n", round,
                    fresh ? "loaded afresh" : "same instance", report.c_str(), CProcessStats::ThreadCount(),
                    CProcessStats::OpenHandleCount());
    }
    held.reset();
    bool gone = false;
    int threadsAfter = 0;
    int handlesAfter = 0;
    bool settled = WaitUntil(
        [&] {
            gone = Gone(library, decoder);
            threadsAfter = CProcessStats::ThreadCount();
            handlesAfter = CProcessStats::OpenHandleCount();
            return gone && threadsAfter == threadsBefore && handlesAfter == handlesBefore;
        },
        kSettleMs);
    std::printf("%d rounds; threads %d before, %d after; handles %d before, %d after; library and decoder %s\n",
                kRounds, threadsBefore, threadsAfter, handlesBefore, handlesAfter, gone ? "unloaded" : "still loaded");
    if (!settled)
        return 1;
    // Said in so many words: under Wine a process that dies of a fault in a thread may still
    // exit with status 0.
    std::printf("passed\n");
    return 0;
}
