// A host of client.dll as an MSVC-compatible compiler builds it: clang-cl for the
// *-pc-windows-msvc targets, linked by lld-link against dist's client.lib, with no C runtime of
// its own (scripts/build-windows builds it). It proves the Microsoft side of the interface: the
// decorated __stdcall imports of the i686 client.lib, the CStreamNotify table as that compiler
// lays it out, and the callbacks' calling conventions.
//   msvc_host rtsp://127.0.0.1:PORT/live/av_stream
// Against a server that fails the keep-alives it plays, expects the stream header and media in
// its data callback and OnTimestamp, OnSetupResult and OnDisconnect on its notification
// object, prints one line and exits 0 when all of them came.
#include "streamclient.h"

// The few system functions it needs, declared here rather than through any system header.
extern "C" {
int __cdecl printf(const char* format, ...);
int __cdecl fflush(void* stream);
__declspec(dllimport) void __stdcall Sleep(unsigned long milliseconds);
__declspec(dllimport) char* __stdcall GetCommandLineA();
__declspec(dllimport) __declspec(noreturn) void __stdcall ExitProcess(unsigned int code);
}

namespace {

// Each count has one writer: the host's thread for the header and the set-up calls, the
// receive thread for media, the keep-alive thread for the loss.
struct Seen {
    volatile long headers;
    volatile long headerBytes;
    volatile long media;
    volatile long wrongUser;
    volatile long timestamps;
    volatile long setupOk;
    volatile long disconnects;
};

Seen seen;
char userValue;

class HostNotify : public CStreamNotify {
public:
    void OnTimestamp(int) override { ++seen.timestamps; }
    void OnSetupResult(int ok) override { seen.setupOk = ok; }
    void OnDisconnect() override { ++seen.disconnects; }
};

void STREAMCLIENT_CALL OnData(int, void* user, int dataType, const unsigned char*, int length)
{
    if (user != &userValue)
        seen.wrongUser = 1;
    if (dataType == STREAM_DATA_HEADER) {
        ++seen.headers;
        seen.headerBytes = length;
    } else if (dataType == STREAM_DATA_MEDIA) {
        ++seen.media;
    }
}

// The first argument after the program's name, which the command line may quote.
const char* FirstArgument(const char* line)
{
    const char end = *line == '"' ? '"' : ' ';
    for (++line; *line && *line != end; ++line) {
    }
    while (*line == '"' || *line == ' ')
        ++line;
    return line;
}

bool AllSeen()
{
    return seen.headers == 1 && seen.headerBytes == 40 && seen.media > 0 && !seen.wrongUser &&
           seen.timestamps == 1 && seen.setupOk == 1 && seen.disconnects == 1;
}

// The loss is reported at the sixth keep-alive: about 25 s after the open when the server
// answers them with errors, 64 s when it does not answer (each one then waits 8 s).
void WaitForAll()
{
    for (int i = 0; i < 900 && !AllSeen(); ++i)
        Sleep(100);
}

} // namespace

// The entry point: no C runtime starts this program, so there is no argc/argv, and returning
// would leave the library's threads running: the process ends with ExitProcess.
extern "C" void HostMain()
{
    HostNotify notify;
    int opened = -1;
    int played = -1;
    int id = InitStreamClientLib() == 0 ? StreamClient_CreatePlayer(&notify, nullptr, OnData, nullptr, 1) : -1;
    if (id >= 0) {
        opened = StreamClient_OpenURL(id, FirstArgument(GetCommandLineA()), &userValue);
        played = StreamClient_Play(id);
        WaitForAll();
        StreamClient_Destroy(id);
    }
    const bool right = opened == 1 && played == 1 && AllSeen();
    printf("msvc host: player %d, open %d, play %d, header %ld (%ld bytes), media %ld, timestamp %ld, "
           "set-up %ld, disconnect %ld, user %s: %s\n",
           id, opened, played, seen.headers, seen.headerBytes, seen.media, seen.timestamps, seen.setupOk,
           seen.disconnects, seen.wrongUser ? "WRONG" : "kept", right ? "as expected" : "WRONG");
    fflush(nullptr);
    ExitProcess(right ? 0 : 1);
}
