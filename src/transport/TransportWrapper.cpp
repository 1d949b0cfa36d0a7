#include "transport/TransportWrapper.h"
#include "platform/LibraryWaits.h"

#include <new>

namespace {
std::atomic<CTransportWrapper::DeliveryHook> deliveryHook{nullptr};
} // namespace

int CTransportWrapper::Initialize(int newPlayerId, void* newUserValue, HWND window, StreamDataCallBack callback,
                                  const TransportParams* newParams)
{
    if (!newParams)
        return -1;
    params = *newParams;
    windowHandle.store(window, std::memory_order_release);
    dataCallBack.store(callback, std::memory_order_release);
    playerId = newPlayerId;
    userValue = newUserValue;
    if (playerId < 0)
        return -1;
    renderer.reset(new (std::nothrow) CVAROH264Renderer);
    if (!renderer)
        return -1;
    rtpTransport.reset(new (std::nothrow) CRtpTransport(params.kind));
    if (!rtpTransport) {
        renderer.reset();
        return -1;
    }
    if (rtpTransport->Open(params.clientPort, params.serverPort, params.serverAddress) == -1)
        return FailInitialize("zrk--------client CTransportWrapper Initialize failed 1!\n");
    if (params.kind == TransportTcp && rtpTransport->GetSocket()->Connect() == -1)
        return FailInitialize("zrk--------client CTransportWrapper Initialize failed 2!\n");
    if (receiveWait.Attach(rtpTransport->GetSocket()->GetHandle()) == -1) {
        CleanUp();
        return -1;
    }
    // From here on the receive thread owns this wrapper.
    if (StartModuleThread(ReceiveThread, this) != 0) {
        CleanUp();
        return -1;
    }
    return 0;
}

int CTransportWrapper::FailInitialize(const char* message)
{
    DebugOutput(message);
    CleanUp();
    return -1;
}

int CTransportWrapper::ResetWndHandle(HWND window, const unsigned char* header, int length, bool fileMode)
{
    if (renderer)
        renderer->ResetWndHandle(window, playerId, header, length, fileMode);
    windowHandle.store(window, std::memory_order_release);
    return 0;
}

int CTransportWrapper::ResetDataCallBack(StreamDataCallBack callback)
{
    dataCallBack.store(callback, std::memory_order_release);
    return 0;
}

int CTransportWrapper::Stop()
{
    // Close the gate and wake the receive thread first: once the flag is set the thread may free
    // this wrapper at any time. Without a transport (never initialised, or failed) there is no
    // thread and no socket.
    callbackGate.Close();
    if (rtpTransport)
        receiveWait.Wake();
    // Release: what the caller did to the adapter happens before the thread destroys it.
    stopFlag.store(true, std::memory_order_release);
    return 0;
}

int CTransportWrapper::CleanUp()
{
    if (renderer) {
        renderer->Stop();
        renderer.reset();
    }
    if (rtpTransport) {
        rtpTransport->Close();
        rtpTransport.reset();
    }
    return 0;
}

void CTransportWrapper::ReceiveThread(void* wrapper)
{
    // Initialize handed the wrapper over: this thread frees it, and everything it holds, on return.
    std::unique_ptr<CTransportWrapper> self(static_cast<CTransportWrapper*>(wrapper));
    self->ReceiveUntilStopped();
    self->CleanUp();
}

// The buffer is freed on return, before the adapter and the socket. Without a buffer or a
// socket (kind none) nothing can be received, but the thread still waits for Stop without
// spinning: until then the owner may call in.
void CTransportWrapper::ReceiveUntilStopped()
{
    std::unique_ptr<unsigned char[]> buffer(new (std::nothrow) unsigned char[kReceiveBufferSize]);
    bool canReceive = buffer && rtpTransport->GetSocket()->GetHandle() != 0;
    while (!stopFlag.load(std::memory_order_acquire)) {
        if (canReceive)
            ReceiveOnce(buffer.get());
        else
            receiveWait.WaitForWake();
    }
}

// Not a microsecond poll, which costs 17 % of a core per idle stream: the thread sleeps until
// data arrives or Stop wakes it, and a chunk costs one receive, as in a plain receive loop.
void CTransportWrapper::ReceiveOnce(unsigned char* buffer)
{
    unsigned char* chunk = buffer + kReceiveOffset;
    int received = rtpTransport->Recv(reinterpret_cast<char*>(chunk), kMaxChunk);
    if (received > 0)
        Deliver(chunk, received);
    else if (received < 0 && ReceiveTimedOut())
        receiveWait.WaitForData();
    else
        PauseAfterEmptyReceive();
}

// An empty receive once Stop has begun (the gate is closed) is its wake-up, not the peer: the
// flag follows within moments, so the thread only yields instead of holding the stop up for the
// whole pause.
void CTransportWrapper::PauseAfterEmptyReceive()
{
    Sleep(callbackGate.IsOpen() ? CLibraryWaits::Ms(CLibraryWaits::EmptyReceivePause) : 0);
}

// The window and the callback are read once per chunk: a change made meanwhile by another
// thread takes effect with the next chunk. The stop flag was last seen down before the receive,
// and the decoder may have taken a while since: the gate decides whether the callback begins.
void CTransportWrapper::Deliver(const unsigned char* chunk, int length)
{
    if (windowHandle.load(std::memory_order_acquire))
        renderer->InputData(chunk, length);
    StreamDataCallBack callback = dataCallBack.load(std::memory_order_acquire);
    if (!callback)
        return;
    if (DeliveryHook hook = deliveryHook.load(std::memory_order_acquire))
        hook();
    if (!callbackGate.IsOpen())
        return;
    try {
        callback(playerId, userValue, STREAM_DATA_MEDIA, chunk, length);
    } catch (...) {
        DebugOutput("zrk----------data callback exception!\n");
    }
}

void CTransportWrapper::SetDeliveryHook(DeliveryHook hook)
{
    deliveryHook.store(hook, std::memory_order_release);
}
