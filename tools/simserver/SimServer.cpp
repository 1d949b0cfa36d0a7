#include "SimServer.h"

#include "H264Encoder.h"
#include "RtpRecording.h"
#include "ServerSocket.h"

#include <algorithm>

namespace {

const int kBacklog = 128;
// How often the accept thread looks up to see a stop and to reap finished connections.
const int kPollMs = 100;

} // namespace

CSimServer::~CSimServer()
{
    Stop();
}

bool CSimServer::Start(std::string& error)
{
    // Blast and replay modes open no encoder; a recording that cannot be replayed is reported
    // now rather than at each session's start.
    CRtpRecording recording;
    if (!options.replayFile.empty() && !recording.Load(options.replayFile, error))
        return false;
    if (!options.blast && options.replayFile.empty() && !CH264Encoder::Available()) {
        error = "libavcodec has no libx264 encoder";
        return false;
    }
    listener = OpenLoopbackSocket(SOCK_STREAM, static_cast<unsigned short>(options.port));
    if (!listener || listen(listener, kBacklog) != 0) {
        error = "cannot listen on 127.0.0.1:" + std::to_string(options.port);
        return false;
    }
    port = LocalPort(listener);
    acceptThread = std::thread(&CSimServer::AcceptLoop, this);
    return true;
}

void CSimServer::Stop()
{
    stopping = true;
    if (acceptThread.joinable())
        acceptThread.join();
    if (listener)
        closesocket(listener);
    listener = 0;
}

void CSimServer::AcceptLoop()
{
    while (!stopping) {
        ReapFinished();
        if (WaitSocket(listener, SocketWait::Readable, kPollMs) != 1)
            continue;
        SOCKET accepted = AcceptSocket(listener);
        if (!accepted)
            continue;
        connections.emplace_back(new CControlConnection(accepted, options));
        connections.back()->Start();
    }
    // Destroying a connection stops it and waits for its thread and its sessions' threads.
    for (auto& connection : connections)
        connection->Stop();
    connections.clear();
}

void CSimServer::ReapFinished()
{
    connections.erase(std::remove_if(connections.begin(), connections.end(),
                                     [](const std::unique_ptr<CControlConnection>& c) { return c->Finished(); }),
                      connections.end());
}
