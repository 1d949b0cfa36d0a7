#pragma once

#include "platform/CallbackGate.h"
#include "platform/CriticalSection.h"
#include "platform/WakeEvent.h"
#include "platform/platform.h"
#include "rtsp/RtspReplyHandler.h"
#include "streamclient.h"
#include "transport/PortPool.h"
#include "transport/TransportWrapper.h"

#include <atomic>
#include <memory>

class CRtspClient;
class CUrl;
class CVAROH264Renderer;

// The media source of one player whose URL is an rtsp URL: it connects to the server, sets the
// stream up, starts the media transport and hands the stream header to the decoder and the
// host, drives the stream through the control connection and keeps that connection alive.
//
// Ownership: the player owns the source until Stop or Destroy; from then on the source's
// keep-alive thread owns it and frees it. The source owns its control connection and URL, and
// its transport until the transport's receive thread runs (Stop hands it over there).
//
// Locking: `lock` is held for every use of the control connection, including the host
// callbacks made from replies, which run inside a CHostCallbackScope for the player. The
// decoder operations, ResetDataCallBack, ResetWndHandle, GetHeader and Destroy rely on the
// player's locks instead.
class CRtspSource final : public CRtspReplyHandler {
public:
    static constexpr int kHeaderSize = 1024;
    static constexpr unsigned short kLingerSeconds = 5;

    // The source takes its client port from the pool of its transport's kind, and gives it back.
    CRtspSource(CPortPool& udpPorts, CPortPool& tcpPorts);
    ~CRtspSource();
    CRtspSource(const CRtspSource&) = delete;
    CRtspSource& operator=(const CRtspSource&) = delete;

    // Life cycle. udpFlag nonzero selects RTP over UDP, zero RTP over TCP.
    int InitSource(int playerId, void* userValue, HWND wndHandle, CStreamNotify* notify,
                   StreamDataCallBack dataCallBack, StreamMessageCallBack messageCallBack, int udpFlag);
    int OpenUrl(const char* urlText);
    int Stop();
    int Destroy();
    // Releases the control connection and URL of a source whose InitSource failed.
    void FreeSource();

    // Stream control through the control connection; -1 without one.
    int Play();
    int RandomPlay(int seconds);
    int Pause();
    int Resume();
    int ChangeRate(int rate);
    int GetVideoParams(int* brightness, int* contrast, int* saturation, int* hue);
    int SetVideoParams(int brightness, int contrast, int saturation, int hue);
    int PTZControl(int command, int param1, int param2, int param3, int param4);

    // Decoder operations through the media transport's decoder adapter; -1 without one.
    int SetVolume(int volume);
    int ThrowBFrameNum(int count);
    int OpenSound(int exclusive);
    int CloseSound();
    int RefreshPlay();
    int GetCurTime(unsigned* time);
    int GetPlayPort();
    int SetDDrawDevice(int device);
    int InitDDrawDevice();
    void ReleaseDDrawDevice();

    int ResetDataCallBack(StreamDataCallBack callback);
    int GetHeader(unsigned char* buffer, int size);
    int ResetWndHandle(HWND window);

    // Reply notifications of the control connection.
    void OnSetup(const unsigned char* body, int bodyLength, int timestamp) override;
    void OnPlayReply() override;
    void OnPauseReply() override;
    void OnRandomPlayReply() override;
    void OnScaleReply(int step) override;
    void OnConnectFailed() override;
    void OnKeepAliveLost() override;

private:
    static void KeepAliveThread(void* source);
    void KeepAliveLoop();
    void RaiseStopFlag();
    int Setup();
    int InitNetworks();
    int FailNetworks(SOCKET socket, const char* line);
    int Teardown();
    CPortPool& ClientPorts();
    void ReleaseClientPort();
    void DropTransport();
    bool OpenDecoder();
    void DeliverHeader(const unsigned char* body, int bodyLength);
    void NotifySetupResult(int ok);
    void NotifySetupSuccess(int timestamp);
    bool IsFileStream() const;
    CVAROH264Renderer* Renderer() const;
    // The decoder adapter when the last reply was a success, for the reply notifications.
    CVAROH264Renderer* RendererAfterSuccess() const;
    template <typename Request>
    int WithClient(Request request);
    template <typename Operation>
    int WithRenderer(Operation operation) const;

    std::unique_ptr<CRtspClient> client;
    std::unique_ptr<CTransportWrapper> transport;
    // Whether the transport's receive thread runs: then Stop, not delete, ends it.
    bool transportStarted = false;
    TransportParams transportParams{0, 0, 0, 0};
    unsigned char headerCopy[kHeaderSize] = {};
    int headerCopyLength = 0;
    std::unique_ptr<CUrl> url;
    CPortPool& udpPorts;
    CPortPool& tcpPorts;
    int playerId = -1;
    void* userValue = reinterpret_cast<void*>(static_cast<intptr_t>(-1));
    // Closed at the first moment of Stop or Destroy: the keep-alive thread sends and reports
    // nothing more. The stop flag comes later, when the source is handed to that thread.
    CCallbackGate callbackGate;
    std::atomic<bool> stopFlag{false};
    // Set just before the stop flag: ends the keep-alive thread's sleep at once.
    CWakeEvent keepAliveWake;
    CCriticalSection lock;
    HWND wndHandle = nullptr;
    StreamDataCallBack dataCallBack = nullptr;
    CStreamNotify* notify = nullptr;
    StreamMessageCallBack messageCallBack = nullptr;
    unsigned char header[kHeaderSize] = {};
    int headerLength = 0;
    DWORD lastKeepAlive = 0;
};
