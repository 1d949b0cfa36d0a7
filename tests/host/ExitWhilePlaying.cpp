// A host that returns from main while its streams play and a snapshot waits for a frame: the
// process must end cleanly (exit status 0, no sanitizer report) although the library's threads
// still run, and the snapshot's export still holds its player's lock, while static destructors
// do their work.
#include "fakes/FakeRtspServer.h"
#include "streamclient.h"

#include <thread>

namespace {
void STREAMCLIENT_CALL IgnoreMessage(int, int, int, int) {}

int OpenPlaying(const CFakeRtspServer& server)
{
    int id = StreamClient_CreatePlayer(nullptr, reinterpret_cast<HWND>(1), nullptr, IgnoreMessage, 1);
    std::string url = server.Url("/live/av_stream");
    if (id < 0 || StreamClient_OpenURL(id, url.c_str(), nullptr) != 1 || StreamClient_Play(id) != 1)
        return -1;
    return id;
}
} // namespace

int main()
{
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0 || InitStreamClientLib() != 0)
        return 1;
    // Never freed: it answers until the process ends.
    CFakeRtspServer* server = new CFakeRtspServer;
    int first = OpenPlaying(*server);
    if (first < 0 || OpenPlaying(*server) < 0)
        return 1;
    // The decoder fake shows no frame, so the snapshot waits its full time.
    std::thread([first] { StreamClient_GrabPic(first, "exit-while-playing.bmp", 0); }).detach();
    Sleep(300);
    return 0;
}
