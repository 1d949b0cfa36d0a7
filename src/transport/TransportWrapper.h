#pragma once

#include "decoder/VAROH264Renderer.h"
#include "platform/CallbackGate.h"
#include "platform/ReceiveWait.h"
#include "platform/platform.h"
#include "streamclient.h"
#include "transport/RtpTransport.h"

#include <atomic>
#include <cstdint>
#include <memory>

// What the SETUP exchange settled for one stream's media.
struct TransportParams {
    int kind;                  // TransportKind: 0 UDP, 1 TCP
    unsigned short serverPort; // host order
    unsigned short clientPort; // host order
    uint32_t serverAddress;    // IPv4, network order
};

// Receives the media of one stream on its own thread and hands every chunk, unparsed, to the
// decoder adapter (while a window is set) and to the host's data callback.
//
// Ownership: Initialize returning 0 hands the wrapper to its receive thread (release() it
// then); afterwards call Stop() and forget the pointer, the thread frees it. A wrapper whose
// Initialize failed or never ran has no thread: whoever holds it deletes it.
class CTransportWrapper {
public:
    // Each receive lands this far into the buffer; the bytes before it are never written.
    static constexpr int kReceiveOffset = 12;
    static constexpr int kReceiveBufferSize = 5120;
    static constexpr int kMaxChunk = kReceiveBufferSize - kReceiveOffset;
    // The pause after an empty or failed receive.

    CTransportWrapper() = default;
    virtual ~CTransportWrapper() = default;
    CTransportWrapper(const CTransportWrapper&) = delete;
    CTransportWrapper& operator=(const CTransportWrapper&) = delete;

    int Initialize(int newPlayerId, void* newUserValue, HWND window, StreamDataCallBack callback,
                   const TransportParams* newParams);
    // Reopens the decoder adapter on the new window (0 ends decoding) and gates its feeding.
    int ResetWndHandle(HWND window, const unsigned char* header, int length, bool fileMode);
    int ResetDataCallBack(StreamDataCallBack callback);
    // Waits for no callback: the receive thread frees the wrapper once it sees the flag. Once
    // Stop has returned no data callback begins; one already running may still run.
    int Stop();
    // The decoder adapter, for the RTSP source to open and drive; null before Initialize.
    CVAROH264Renderer* GetRenderer() const { return renderer.get(); }

    static void ReceiveThread(void* wrapper);

    // Internal to the static core and never exported: lets tests hold a receive thread between
    // the receive of a chunk and its callback, where a Stop from another thread may land.
    typedef void (*DeliveryHook)();
    static void SetDeliveryHook(DeliveryHook hook);

private:
    int CleanUp();
    int FailInitialize(const char* message);
    void ReceiveUntilStopped();
    void ReceiveOnce(unsigned char* buffer);
    void PauseAfterEmptyReceive();
    void Deliver(const unsigned char* chunk, int length);

    TransportParams params{-1, 0, 0, 0};
    std::atomic<bool> stopFlag{false};
    // Closed by Stop before it wakes the thread, and before the flag that hands the wrapper
    // over: no data callback begins once Stop has returned.
    CCallbackGate callbackGate;
    int playerId = -1;
    void* userValue = reinterpret_cast<void*>(static_cast<intptr_t>(-1));
    std::unique_ptr<CVAROH264Renderer> renderer;
    std::unique_ptr<CRtpTransport> rtpTransport;
    CReceiveWait receiveWait;
    std::atomic<HWND> windowHandle{nullptr};
    std::atomic<StreamDataCallBack> dataCallBack{nullptr};
};
