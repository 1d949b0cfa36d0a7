#include "rtsp/RtspSource.h"

#include "decoder/VAROH264Renderer.h"
#include "platform/LibraryWaits.h"
#include "platform/LockGuard.h"
#include "rtsp/HostCallbackScope.h"
#include "rtsp/RtspClient.h"
#include "rtsp/Url.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace {

const int kUdp = 0;
const int kTcp = 1;
const int kOkStatus = 1;

} // namespace

CRtspSource::CRtspSource(CPortPool& udpPorts, CPortPool& tcpPorts) : udpPorts(udpPorts), tcpPorts(tcpPorts) {}

CRtspSource::~CRtspSource()
{
    DropTransport();
}

int CRtspSource::InitSource(int id, void* user, HWND window, CStreamNotify* hostNotify,
                            StreamDataCallBack hostDataCallBack, StreamMessageCallBack hostMessageCallBack,
                            int udpFlag)
{
    if ((!hostNotify && !hostMessageCallBack) || id < 0)
        return -1;
    transport.reset(new (std::nothrow) CTransportWrapper());
    if (!transport)
        return -1;
    playerId = id;
    userValue = user;
    wndHandle = window;
    notify = hostNotify;
    dataCallBack = hostDataCallBack;
    messageCallBack = hostMessageCallBack;
    transportParams.kind = udpFlag ? kUdp : kTcp;
    // The first keep-alive is due 4 s from now. Counting from 0 would make it due at once and,
    // whenever the thread found the lock taken by the SETUP exchange, send an ANNOUNCE right
    // behind the SETUP instead of 4 s later.
    lastKeepAlive = GetTickCount();
    if (StartModuleThread(KeepAliveThread, this) != 0) {
        transport.reset();
        return -1;
    }
    return 0;
}

int CRtspSource::OpenUrl(const char* urlText)
{
    if (!url)
        url.reset(new (std::nothrow) CUrl(urlText));
    if (url && url->IsValid())
        return transport ? Setup() : -1;
    transport.reset();
    return -1;
}

int CRtspSource::Setup()
{
    CLockGuard guard(lock);
    if (InitNetworks() == -1) {
        DebugOutput("zrk--------client CRtspSource Setup failed 1\n");
        transport.reset();
        NotifySetupResult(0);
        return -1;
    }
    // An empty pool gives 0, which is offered like any other port.
    unsigned short port = ClientPorts().Acquire();
    transportParams.clientPort = port;
    transportParams.serverAddress = static_cast<uint32_t>(inet_addr(url->GetHost().c_str()));
    int result = transportParams.kind == kUdp ? client->SendSetupUdp(port) : client->SendSetupTcp(port);
    if (result != -1)
        return result;
    DropTransport();
    return -1;
}

int CRtspSource::FailNetworks(SOCKET socket, const char* line)
{
    if (socket)
        closesocket(socket);
    DebugOutput(line);
    return -1;
}

// The host must be a dotted IPv4 address: no name is looked up.
int CRtspSource::InitNetworks()
{
    SOCKET s = OpenSocket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (!s)
        return FailNetworks(0, "zrk--------client CRtspSource InitNetworks failed 1\n");
    int reuse = 1;
    if (setsockopt(s, SOL_SOCKET, SO_REUSEADDR, reinterpret_cast<const char*>(&reuse), sizeof reuse) != 0)
        return FailNetworks(s, "zrk--------client CRtspSource InitNetworks failed 2\n");
    if (SetSocketLinger(s, kLingerSeconds) != 0)
        return FailNetworks(s, "zrk--------client CRtspSource InitNetworks failed 3\n");
    if (SetSocketTimeout(s, SO_SNDTIMEO, CLibraryWaits::Ms(CLibraryWaits::SocketTimeout)) != 0)
        return FailNetworks(s, "zrk--------client CRtspSource InitNetworks failed 4\n");
    if (SetSocketTimeout(s, SO_RCVTIMEO, CLibraryWaits::Ms(CLibraryWaits::SocketTimeout)) != 0)
        return FailNetworks(s, "zrk--------client CRtspSource InitNetworks failed 5\n");
    u_long nonBlocking = 1;
    if (ioctlsocket(s, FIONBIO, &nonBlocking) != 0)
        return FailNetworks(s, "zrk--------client CRtspSource InitNetworks failed 6\n");
    int started = StartConnect(s, inet_addr(url->GetHost().c_str()), url->GetPort());
    bool connected = started == 0 || (started == 1 && WaitSocket(s, SocketWait::Writable, CLibraryWaits::Ms(CLibraryWaits::Connect)) == 1 &&
                                      PendingSocketError(s) == 0);
    if (!connected)
        return FailNetworks(s, "zrk--------client CRtspSource InitNetworks failed 7\n");
    u_long blocking = 0;
    if (ioctlsocket(s, FIONBIO, &blocking) != 0)
        return FailNetworks(s, "zrk--------client CRtspSource InitNetworks failed 8\n");
    client.reset(new (std::nothrow) CRtspClient());
    if (!client)
        return FailNetworks(s, "zrk--------client CRtspSource InitNetworks failed 9\n");
    if (client->Attach(s, this) != 0)
        return FailNetworks(s, "zrk--------client CRtspSource InitNetworks failed 10\n");
    client->SetUrl(url->GetUrl().c_str());
    return 0;
}

void CRtspSource::OnSetup(const unsigned char* body, int bodyLength, int timestamp)
{
    if (client->GetLastStatus() != kOkStatus) {
        DebugOutput("zrk--------client CRtspSource OnSetup status seems not correct!\n");
        return;
    }
    transportParams.serverPort = client->GetServerPort();
    if (!transport || transport->Initialize(playerId, userValue, wndHandle, dataCallBack, &transportParams) == -1) {
        transport.reset();
        NotifySetupResult(0);
        return;
    }
    transportStarted = true;
    // The whole reply fits the control connection's buffer, so the body always fits here.
    headerLength = std::min(std::max(bodyLength, 0), kHeaderSize);
    if (headerLength > 0)
        memcpy(header, body, static_cast<size_t>(headerLength));
    if (wndHandle && !OpenDecoder())
        return;
    DeliverHeader(body, bodyLength);
    NotifySetupSuccess(timestamp);
}

// Live streams are decoded as real-time streams, recorded ones as file streams.
bool CRtspSource::IsFileStream() const
{
    return !IsLiveStreamPath(url->GetUrl().c_str());
}

bool CRtspSource::OpenDecoder()
{
    CVAROH264Renderer* renderer = Renderer();
    if (renderer->Init(playerId, wndHandle, IsFileStream()) != 0) {
        NotifySetupResult(0);
        return false;
    }
    if (renderer->OpenStream(header, headerLength) == -1) {
        DebugOutput("zrk--------client CRtspSource OnSetup parse head failed!\n");
        NotifySetupResult(0);
        return false;
    }
    return true;
}

void CRtspSource::DeliverHeader(const unsigned char* body, int bodyLength)
{
    if (!dataCallBack)
        return;
    if (bodyLength >= kHeaderSize) {
        DebugOutput("zrk--------client CRtspSource OnSetup the head is to long to be reserved\n");
        return;
    }
    headerCopyLength = std::max(bodyLength, 0);
    if (headerCopyLength > 0)
        memcpy(headerCopy, body, static_cast<size_t>(headerCopyLength));
    headerCopy[headerCopyLength] = 0;
    CHostCallbackScope scope(playerId);
    dataCallBack(playerId, userValue, STREAM_DATA_HEADER, headerCopy, headerCopyLength);
}

// The notification object hears first, then the message callback.
void CRtspSource::NotifySetupSuccess(int timestamp)
{
    CHostCallbackScope scope(playerId);
    if (notify) {
        notify->OnTimestamp(timestamp);
        notify->OnSetupResult(1);
    }
    if (messageCallBack) {
        messageCallBack(playerId, STREAM_MSG_TIMESTAMP, timestamp, 0);
        messageCallBack(playerId, STREAM_MSG_SETUP_RESULT, 1, 0);
    }
}

void CRtspSource::NotifySetupResult(int ok)
{
    CHostCallbackScope scope(playerId);
    if (notify)
        notify->OnSetupResult(ok);
    if (messageCallBack)
        messageCallBack(playerId, STREAM_MSG_SETUP_RESULT, ok, 0);
}

void CRtspSource::OnConnectFailed()
{
    NotifySetupResult(0);
}

// Destroy takes no lock: a keep-alive pass that found the gate open as it began may reach here
// after Destroy has returned, and must report nothing then.
void CRtspSource::OnKeepAliveLost()
{
    if (!callbackGate.IsOpen())
        return;
    CHostCallbackScope scope(playerId);
    if (notify)
        notify->OnDisconnect();
    if (messageCallBack)
        messageCallBack(playerId, STREAM_MSG_DISCONNECT, 0, 0);
}

CVAROH264Renderer* CRtspSource::Renderer() const
{
    return transport ? transport->GetRenderer() : nullptr;
}

CVAROH264Renderer* CRtspSource::RendererAfterSuccess() const
{
    return client && client->GetLastStatus() == kOkStatus ? Renderer() : nullptr;
}

void CRtspSource::OnPlayReply()
{
    if (CVAROH264Renderer* renderer = RendererAfterSuccess())
        renderer->Play();
}

void CRtspSource::OnPauseReply()
{
    if (CVAROH264Renderer* renderer = RendererAfterSuccess())
        renderer->Pause();
}

void CRtspSource::OnRandomPlayReply()
{
    if (CVAROH264Renderer* renderer = RendererAfterSuccess())
        renderer->ResetSourceBuffer();
}

void CRtspSource::OnScaleReply(int step)
{
    if (CVAROH264Renderer* renderer = RendererAfterSuccess())
        renderer->SetRate(step);
}

void CRtspSource::KeepAliveThread(void* source)
{
    CRtspSource* self = static_cast<CRtspSource*>(source);
    self->KeepAliveLoop();
    // Stop or Destroy handed the source to this thread: it ends here.
    delete self;
}

// An ANNOUNCE about every 4 s, from the moment the control connection exists until the source
// stops, whatever the player's state. A pass without a connection counts as an attempt.
// Between keep-alives the thread sleeps until the next is due, not in 200 ms naps: a wake-up
// costs little on Linux but goes through the wineserver under Wine, where 100 idle players'
// naps cost 4 % of a core. A stop ends the sleep at once.
void CRtspSource::KeepAliveLoop()
{
    do {
        DWORD interval = CLibraryWaits::Ms(CLibraryWaits::KeepAliveInterval);
        DWORD sinceLast = GetTickCount() - lastKeepAlive;
        if (sinceLast > interval) {
            {
                CLockGuard guard(lock);
                if (client && callbackGate.IsOpen())
                    client->SendKeepAlive();
            }
            lastKeepAlive = GetTickCount();
            sinceLast = 0;
        }
        keepAliveWake.Wait(interval + 1 - sinceLast);
    } while (!stopFlag.load(std::memory_order_acquire));
}

// Wakes the keep-alive thread, then hands the source over to it: once the flag is up the
// thread may free the source at any moment, so nothing of it is touched after.
void CRtspSource::RaiseStopFlag()
{
    keepAliveWake.Set();
    stopFlag.store(true, std::memory_order_release);
}

CPortPool& CRtspSource::ClientPorts()
{
    return transportParams.kind == kUdp ? udpPorts : tcpPorts;
}

void CRtspSource::ReleaseClientPort()
{
    ClientPorts().Release(transportParams.clientPort);
}

// A running transport is stopped and left to its receive thread; one that never ran is freed.
void CRtspSource::DropTransport()
{
    if (transport && transportStarted) {
        transport->Stop();
        transport.release();
    }
    transport.reset();
    transportStarted = false;
}

int CRtspSource::Teardown()
{
    CLockGuard guard(lock);
    DropTransport();
    if (!client)
        return -1;
    int result = client->SendTeardown();
    ReleaseClientPort();
    return result;
}

// TEARDOWN's outcome does not matter: the source ends regardless. No keep-alive follows it, and
// no loss of the server is reported once Stop has returned: the host may free its notification
// object then, so a keep-alive pass waiting for the lock finds the gate closed and gives up.
int CRtspSource::Stop()
{
    callbackGate.Close();
    Teardown();
    RaiseStopFlag();
    return 0;
}

int CRtspSource::Destroy()
{
    callbackGate.Close();
    if (client)
        ReleaseClientPort();
    DropTransport();
    RaiseStopFlag();
    return 0;
}

void CRtspSource::FreeSource()
{
    client.reset();
    url.reset();
}

template <typename Operation>
int CRtspSource::WithRenderer(Operation operation) const
{
    CVAROH264Renderer* renderer = Renderer();
    return renderer ? operation(*renderer) : -1;
}

template <typename Request>
int CRtspSource::WithClient(Request request)
{
    CLockGuard guard(lock);
    return client ? request(*client) : -1;
}

int CRtspSource::Play()
{
    return WithClient([](CRtspClient& c) { return c.SendPlay(0); });
}

int CRtspSource::RandomPlay(int seconds)
{
    return WithClient([seconds](CRtspClient& c) { return c.SendRandomPlay(static_cast<unsigned>(seconds)); });
}

int CRtspSource::Pause()
{
    return WithClient([](CRtspClient& c) { return c.SendPause(); });
}

int CRtspSource::Resume()
{
    return WithClient([](CRtspClient& c) { return c.SendResume(); });
}

int CRtspSource::ChangeRate(int rate)
{
    return WithClient([rate](CRtspClient& c) { return c.SendChangeRate(rate, 0); });
}

int CRtspSource::GetVideoParams(int* brightness, int* contrast, int* saturation, int* hue)
{
    return WithClient([=](CRtspClient& c) { return c.SendGetVideoParams(brightness, contrast, saturation, hue); });
}

int CRtspSource::SetVideoParams(int brightness, int contrast, int saturation, int hue)
{
    return WithClient([=](CRtspClient& c) { return c.SendSetVideoParams(brightness, contrast, saturation, hue); });
}

int CRtspSource::PTZControl(int command, int param1, int param2, int param3, int param4)
{
    return WithClient([=](CRtspClient& c) { return c.SendCommand(command, param1, param2, param3, param4); });
}

int CRtspSource::SetVolume(int volume)
{
    return WithRenderer([=](CVAROH264Renderer& renderer) { return renderer.SetVolume(volume); });
}

int CRtspSource::ThrowBFrameNum(int count)
{
    return WithRenderer([=](CVAROH264Renderer& renderer) { return renderer.ThrowBFrameNum(count); });
}

int CRtspSource::OpenSound(int exclusive)
{
    return WithRenderer([=](CVAROH264Renderer& renderer) { return renderer.OpenSound(exclusive != 0); });
}

int CRtspSource::CloseSound()
{
    return WithRenderer([](CVAROH264Renderer& renderer) { return renderer.CloseSound(); });
}

int CRtspSource::RefreshPlay()
{
    return WithRenderer([](CVAROH264Renderer& renderer) { return renderer.RefreshPlay(); });
}

int CRtspSource::GetCurTime(unsigned* time)
{
    return WithRenderer([=](CVAROH264Renderer& renderer) { return renderer.GetPlayedTime(time); });
}

int CRtspSource::GetPlayPort()
{
    return WithRenderer([](CVAROH264Renderer& renderer) { return renderer.GetPort(); });
}

int CRtspSource::SetDDrawDevice(int device)
{
    return WithRenderer([=](CVAROH264Renderer& renderer) { return renderer.SetDDrawDevice(device); });
}

int CRtspSource::InitDDrawDevice()
{
    return WithRenderer([](CVAROH264Renderer& renderer) { return renderer.InitDDrawDevice(); });
}

void CRtspSource::ReleaseDDrawDevice()
{
    if (CVAROH264Renderer* renderer = Renderer())
        renderer->ReleaseDDrawDevice();
}

int CRtspSource::ResetDataCallBack(StreamDataCallBack callback)
{
    dataCallBack = callback;
    if (!transport)
        return -1;
    return transport->ResetDataCallBack(callback);
}

int CRtspSource::GetHeader(unsigned char* buffer, int size)
{
    if (headerLength < 1 || size < headerLength)
        return -1;
    memcpy(buffer, header, static_cast<size_t>(headerLength));
    return headerLength;
}

// The decoder follows the new window; wndHandle keeps the window the stream was opened with.
int CRtspSource::ResetWndHandle(HWND window)
{
    if (!Renderer())
        return -1;
    return transport->ResetWndHandle(window, header, headerLength, IsFileStream());
}
