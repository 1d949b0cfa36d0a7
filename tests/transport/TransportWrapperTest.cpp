#include "ProcessStats.h"
#include "fakes/DebugCapture.h"
#include "fakes/FakeLumodec.h"
#include "fakes/LoopbackSocket.h"
#include "fakes/WaitUntil.h"
#include "platform/LibraryWaits.h"
#include "transport/TransportWrapper.h"

#include <algorithm>
#include <atomic>
#include <gtest/gtest.h>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

const int kPlayerId = 7;
void* const kUser = reinterpret_cast<void*>(0x5eed);
const HWND kWindow = reinterpret_cast<HWND>(0x1234);
const unsigned char kHeader[40] = {'L', 'U', 'M', 'O'};

// Counts the wrappers given back: the receive thread deletes its wrapper through the virtual
// destructor, so this operator delete runs then.
std::atomic<int> freedCount{0};
class CWatchedWrapper : public CTransportWrapper {
public:
    static void operator delete(void* memory)
    {
        ::operator delete(memory);
        freedCount.fetch_add(1, std::memory_order_acq_rel);
    }
};

struct Chunk {
    std::string bytes;
    // How many blocks the decoder adapter had been given when the callback saw this one.
    size_t adapterInputs;
};

std::mutex chunksMutex;
std::vector<Chunk> chunks;
// What the data callback does after recording its chunk.
enum class Then { Return, ThrowOnOdd, Stop };
std::atomic<Then> then{Then::Return};
std::atomic<CTransportWrapper*> running{nullptr};

// The delivery hook: holds the receive thread before the callback of its chunk while asked to.
std::atomic<int> deliveriesHeld{0};
std::atomic<bool> holdDeliveries{false};
void HoldDelivery()
{
    deliveriesHeld.fetch_add(1);
    while (holdDeliveries)
        Sleep(1);
}

std::vector<Chunk> Chunks()
{
    std::lock_guard<std::mutex> guard(chunksMutex);
    return chunks;
}

void STREAMCLIENT_CALL Record(int playerId, void* user, int dataType, const unsigned char* data, int length)
{
    EXPECT_EQ(kPlayerId, playerId);
    EXPECT_EQ(kUser, user);
    EXPECT_EQ(STREAM_DATA_MEDIA, dataType);
    size_t inputs = CFakeLumodec::CallsOf("Lumo_InputData").size();
    std::unique_lock<std::mutex> guard(chunksMutex);
    chunks.push_back({std::string(reinterpret_cast<const char*>(data), length), inputs});
    size_t count = chunks.size();
    guard.unlock();
    if (then == Then::Stop)
        running.load()->Stop();
    if (then == Then::ThrowOnOdd && count % 2 == 1)
        throw std::runtime_error("host failure");
}

// Bytes that differ by position and by datagram, so a shifted or mixed-up chunk shows.
std::string Payload(size_t length, int seed)
{
    std::string bytes(length, '\0');
    for (size_t i = 0; i < length; ++i)
        bytes[i] = static_cast<char>((i * 31 + static_cast<size_t>(seed) * 7) & 0xff);
    return bytes;
}

TransportParams Params(int kind, int serverPort, int clientPort)
{
    return {kind, static_cast<unsigned short>(serverPort), static_cast<unsigned short>(clientPort),
            CLoopbackSocket::Address()};
}

class TransportWrapperTest : public ::testing::Test {
protected:
    void SetUp() override { ResetRecords(); }

    // Each row of a table starts from nothing recorded.
    static void ResetRecords()
    {
        CFakeLumodec::Reset();
        freedCount = 0;
        then = Then::Return;
        std::lock_guard<std::mutex> guard(chunksMutex);
        chunks.clear();
    }

    // Starts a wrapper whose receive thread then owns it; null if it did not start.
    CTransportWrapper* Start(HWND window, const TransportParams& params)
    {
        std::unique_ptr<CWatchedWrapper> wrapper(new CWatchedWrapper);
        if (wrapper->Initialize(kPlayerId, kUser, window, Record, &params) != 0)
            return nullptr;
        running = wrapper.get();
        return wrapper.release();
    }

    CTransportWrapper* StartUdp(HWND window = nullptr)
    {
        udpPort = CLoopbackSocket::FreePort(SOCK_DGRAM);
        return Start(window, Params(TransportUdp, 0, udpPort));
    }

    // Accepts the wrapper's media connection on the listener.
    CTransportWrapper* StartTcp()
    {
        server.Listen(1);
        CTransportWrapper* wrapper = Start(nullptr, Params(TransportTcp, server.Port(), 0));
        if (wrapper)
            media = server.AcceptOne();
        return media != 0 ? wrapper : nullptr;
    }

    void Send(const std::string& datagram) { ASSERT_EQ(datagram.size(), size_t(sender.SendTo(udpPort, datagram))); }

    static bool StopAndAwaitFreed(CTransportWrapper* wrapper, int timeoutMs = 3000)
    {
        wrapper->Stop();
        return WaitUntil([] { return freedCount == 1; }, timeoutMs);
    }

    void TearDown() override
    {
        holdDeliveries = false;
        CTransportWrapper::SetDeliveryHook(nullptr);
        if (media != 0)
            closesocket(media);
    }

    CDebugCapture debug;
    CLoopbackSocket sender{SOCK_DGRAM};
    CLoopbackSocket server{SOCK_STREAM};
    int udpPort = 0;
    SOCKET media = 0;
};

} // namespace

// Every datagram that fits reaches the adapter (while a window is set), then the callback, as sent.
TEST_F(TransportWrapperTest, UdpDeliversWholeDatagramsToTheAdapterThenTheCallback)
{
    const size_t kMax = CTransportWrapper::kMaxChunk;
    const struct {
        const char* name;
        HWND window;      // given to Initialize
        bool laterWindow; // given through ResetWndHandle; else the test opens the adapter
        std::vector<size_t> sent;
        std::vector<size_t> delivered; // indexes into sent
    } cases[] = {
        {"the largest datagram arrives whole", nullptr, false, {kMax}, {0}},
        {"one byte more is dropped, the next arrives", nullptr, false, {kMax + 1, 40}, {1}},
        {"a datagram far too long is dropped", nullptr, false, {60000, 1, 2}, {1, 2}},
        {"an empty datagram delivers nothing", nullptr, false, {0, 9}, {1}},
        {"window from the start", kWindow, false, {100, 200}, {0, 1}},
        {"window given later", nullptr, true, {100, 200}, {0, 1}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ResetRecords();
        CTransportWrapper* wrapper = StartUdp(c.window);
        ASSERT_TRUE(wrapper);
        if (c.laterWindow) {
            wrapper->ResetWndHandle(kWindow, kHeader, sizeof kHeader, false);
        } else {
            ASSERT_EQ(0, wrapper->GetRenderer()->Init(kPlayerId, kWindow, false));
            ASSERT_EQ(0, wrapper->GetRenderer()->OpenStream(kHeader, sizeof kHeader));
        }
        for (size_t i = 0; i < c.sent.size(); ++i)
            Send(Payload(c.sent[i], static_cast<int>(i)));
        // Loopback keeps the order: once the last datagram is in, every earlier one was handled.
        EXPECT_TRUE(WaitUntil([&] { return Chunks().size() >= c.delivered.size(); }));
        EXPECT_TRUE(StopAndAwaitFreed(wrapper));
        bool fed = c.window != nullptr || c.laterWindow;
        std::vector<std::string> expectedInputs;
        std::vector<Chunk> got = Chunks();
        ASSERT_EQ(c.delivered.size(), got.size());
        for (size_t i = 0; i < got.size(); ++i) {
            size_t index = c.delivered[i];
            EXPECT_TRUE(Payload(c.sent[index], static_cast<int>(index)) == got[i].bytes) << "datagram " << index;
            EXPECT_EQ(fed ? i + 1 : 0u, got[i].adapterInputs);
            if (fed)
                expectedInputs.push_back("Lumo_InputData(0," + std::to_string(c.sent[index]) + ")");
        }
        EXPECT_EQ(expectedInputs, CFakeLumodec::CallsOf("Lumo_InputData"));
        if (c.laterWindow) { // playing since the window came: the thread stops and closes the decoder
            std::vector<std::string> calls = CFakeLumodec::Calls();
            EXPECT_EQ((std::vector<std::string>{"Lumo_Stop(0)", "Lumo_ResetSourceBuffer(0)", "Lumo_CloseStream(0)",
                                                "Lumo_FreePort(0)"}),
                      std::vector<std::string>(calls.end() - std::min<size_t>(4, calls.size()), calls.end()));
        }
    }
}

TEST_F(TransportWrapperTest, TcpArrivesInBoundedChunksAndTheServerClosingCostsNoCpu)
{
    CTransportWrapper* wrapper = StartTcp();
    ASSERT_TRUE(wrapper);
    const std::string burst = Payload(3 * CTransportWrapper::kMaxChunk + 77, 1);
    ASSERT_EQ(int(burst.size()), SendSocket(media, burst.data(), int(burst.size())));
    std::string joined;
    EXPECT_TRUE(WaitUntil([&] {
        joined.clear();
        for (const Chunk& chunk : Chunks())
            joined += chunk.bytes;
        return joined.size() >= burst.size();
    }));
    EXPECT_TRUE(joined == burst);
    size_t count = Chunks().size();
    EXPECT_GE(count, 4u);
    for (const Chunk& chunk : Chunks())
        EXPECT_LE(chunk.bytes.size(), size_t(CTransportWrapper::kMaxChunk));

    closesocket(media);
    media = 0;
    double cpuBefore = CProcessStats::CpuSeconds();
    Sleep(300);
    // Every pass now reads 0 bytes; without the pause after it the thread would spin a core.
    EXPECT_LT(CProcessStats::CpuSeconds() - cpuBefore, 0.1);
    EXPECT_TRUE(StopAndAwaitFreed(wrapper));
    EXPECT_EQ(count, Chunks().size());
}

TEST_F(TransportWrapperTest, ThrowingCallbackIsLoggedOncePerThrowAndTheStreamGoesOn)
{
    then = Then::ThrowOnOdd;
    CTransportWrapper* wrapper = StartUdp();
    ASSERT_TRUE(wrapper);
    for (int i = 0; i < 4; ++i)
        Send(Payload(30 + i, i));
    EXPECT_TRUE(WaitUntil([] { return Chunks().size() == 4; }));
    EXPECT_TRUE(StopAndAwaitFreed(wrapper));
    EXPECT_EQ(std::vector<std::string>(2, "zrk----------data callback exception!\n"), debug.Lines());
}

// A chunk received before Stop but not yet handed over is not handed over once Stop has
// returned: no callback of a stopped stream begins late, though Stop waits for none.
TEST_F(TransportWrapperTest, NoCallbackBeginsOnceStopHasReturned)
{
    holdDeliveries = true;
    CTransportWrapper::SetDeliveryHook(HoldDelivery);
    CTransportWrapper* wrapper = StartUdp();
    ASSERT_TRUE(wrapper);
    Send(Payload(10, 0));
    ASSERT_TRUE(WaitUntil([] { return deliveriesHeld == 1; }));
    wrapper->Stop();
    holdDeliveries = false;
    EXPECT_TRUE(WaitUntil([] { return freedCount == 1; }));
    EXPECT_TRUE(Chunks().empty());
}

TEST_F(TransportWrapperTest, StopFromInsideTheCallbackEndsTheStreamAfterThatChunk)
{
    then = Then::Stop;
    ASSERT_TRUE(StartUdp());
    for (int i = 0; i < 3; ++i)
        Send(Payload(10, i));
    EXPECT_TRUE(WaitUntil([] { return freedCount == 1; }));
    EXPECT_EQ(1u, Chunks().size());
}

TEST_F(TransportWrapperTest, StopWakesAReceiveWaitingOnAnIdleSocket)
{
    CLibraryWaits::Restore(); // the shipped socket time-out of 3 s, which Stop must not wait for
    for (bool tcp : {false, true}) {
        SCOPED_TRACE(tcp ? "tcp" : "udp");
        ResetRecords();
        CTransportWrapper* wrapper = tcp ? StartTcp() : StartUdp();
        ASSERT_TRUE(wrapper);
        Sleep(50); // the receive thread is blocked by now
        EXPECT_TRUE(StopAndAwaitFreed(wrapper, 1000));
    }
}

TEST_F(TransportWrapperTest, FailedInitializeSaysWhereAndLeavesNothingOpen)
{
    CLoopbackSocket takenUdp(SOCK_DGRAM);
    CLoopbackSocket refusingTcp(SOCK_STREAM); // bound, never listening: connects are refused
    const std::string kOpenFailed = "zrk--------client CTransportWrapper Initialize failed 1!\n";
    const struct {
        const char* name;
        int playerId;
        TransportParams params;
        std::vector<std::string> lines;
    } cases[] = {
        {"negative player id", -1, Params(TransportUdp, 0, 0), {}},
        {"udp port taken", kPlayerId, Params(TransportUdp, 0, takenUdp.Port()), {kOpenFailed}},
        {"unknown kind", kPlayerId, Params(3, 0, 0), {kOpenFailed}},
        {"negative kind", kPlayerId, Params(-1, 0, 0), {kOpenFailed}},
        {"tcp connect refused", kPlayerId, Params(TransportTcp, refusingTcp.Port(), 0),
         {"zrk--------client CTransportWrapper Initialize failed 2!\n"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        debug.Clear();
        int handles = CProcessStats::OpenHandleCount();
        // The wrapper never started a thread, so it stays ours to free.
        std::unique_ptr<CTransportWrapper> wrapper(new CTransportWrapper);
        EXPECT_EQ(-1, wrapper->Initialize(c.playerId, kUser, kWindow, Record, &c.params));
        EXPECT_EQ(c.lines, debug.Lines());
        EXPECT_EQ(nullptr, wrapper->GetRenderer());
        EXPECT_EQ(handles, CProcessStats::OpenHandleCount());
    }
}
