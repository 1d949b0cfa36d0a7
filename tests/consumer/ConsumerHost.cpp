// A host built outside the tree against an installed library: create, open, play, wait for one
// media chunk, stop. Exit status 0 when every step did what it should.
//   consumer-host rtsp://127.0.0.1:PORT/live/av_stream
#include <streamclient.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>

namespace {

std::atomic<int> mediaChunks{0};

void STREAMCLIENT_CALL OnData(int, void*, int dataType, const unsigned char*, int)
{
    if (dataType == STREAM_DATA_MEDIA)
        ++mediaChunks;
}

class CHost : public CStreamNotify {
};

bool MediaArrives()
{
    for (int waited = 0; waited < 5000 && mediaChunks == 0; waited += 50)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    return mediaChunks > 0;
}

bool Check(const char* step, bool done)
{
    std::printf("%-12s %s\n", step, done ? "ok" : "FAILED");
    return done;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2 || InitStreamClientLib() != 0)
        return 2;
    CHost host;
    int id = StreamClient_CreatePlayer(&host, nullptr, OnData, nullptr, 0);
    bool done = Check("create", id >= 0) && Check("open", StreamClient_OpenURL(id, argv[1], nullptr) == 1) &&
                Check("play", StreamClient_Play(id) == 1) && Check("media chunk", MediaArrives()) &&
                Check("stop", StreamClient_Stop(id) == 0);
    FiniStreamClientLib();
    return done ? 0 : 1;
}
