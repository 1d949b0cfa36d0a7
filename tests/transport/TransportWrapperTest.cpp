#include "fakes/DebugCapture.h"
#include "fakes/FakeLumodec.h"
#include "fakes/LoopbackSocket.h"
#include "fakes/ProcessProbe.h"
#include "fakes/WaitUntil.h"
#include "transport/WatchedWrapper.h"

#include <gtest/gtest.h>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <vector>

namespace {

const int kPlayerId = 7;
void* const kUser = reinterpret_cast<void*>(0x5eed);
const HWND kWindow = reinterpret_cast<HWND>(0x1234);
const unsigned char kHeader[40] = {'L', 'U', 'M', 'O'};
const std::string kExceptionLine = "zrk----------data callback exception!\n";

struct Chunk {
    int playerId;
    void* user;
    int dataType;
    std::string bytes;
    // How many blocks the decoder adapter had been given when the callback saw this one.
    size_t adapterInputs;
};

std::mutex chunksMutex;
std::vector<Chunk> chunks;
// The wrapper a callback may stop from inside.
std::atomic<CTransportWrapper*> running{nullptr};

void STREAMCLIENT_CALL Record(int playerId, void* user, int dataType, const unsigned char* data, int length)
{
    size_t inputs = CFakeLumodec::CallsOf("Lumo_InputData").size();
    std::lock_guard<std::mutex> guard(chunksMutex);
    chunks.push_back({playerId, user, dataType, std::string(reinterpret_cast<const char*>(data), length), inputs});
}

std::vector<Chunk> Chunks()
{
    std::lock_guard<std::mutex> guard(chunksMutex);
    return chunks;
}

size_t ChunkCount()
{
    return Chunks().size();
}

void STREAMCLIENT_CALL RecordThenThrowOnOdd(int playerId, void* user, int dataType, const unsigned char* data, int length)
{
    Record(playerId, user, dataType, data, length);
    if (ChunkCount() % 2 == 1)
        throw std::runtime_error("host failure");
}

void STREAMCLIENT_CALL RecordThenStop(int playerId, void* user, int dataType, const unsigned char* data, int length)
{
    Record(playerId, user, dataType, data, length);
    running.load()->Stop();
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
        CWatchedWrapper::ResetCount();
        std::lock_guard<std::mutex> guard(chunksMutex);
        chunks.clear();
    }

    // Starts a wrapper whose receive thread then owns it; null if it did not start.
    CTransportWrapper* Start(HWND window, StreamDataCallBack callback, const TransportParams& params)
    {
        std::unique_ptr<CWatchedWrapper> wrapper(new CWatchedWrapper);
        if (wrapper->Initialize(kPlayerId, kUser, window, callback, &params) != 0)
            return nullptr;
        running = wrapper.get();
        return wrapper.release();
    }

    CTransportWrapper* StartUdp(HWND window, StreamDataCallBack callback)
    {
        udpPort = CLoopbackSocket::FreePort(SOCK_DGRAM);
        return Start(window, callback, Params(TransportUdp, 0, udpPort));
    }

    // Accepts the wrapper's media connection on the listener.
    CTransportWrapper* StartTcp(StreamDataCallBack callback)
    {
        server.Listen(1);
        CTransportWrapper* wrapper = Start(nullptr, callback, Params(TransportTcp, server.Port(), 0));
        if (wrapper)
            media = server.AcceptOne();
        return media != 0 ? wrapper : nullptr;
    }

    void Send(const std::string& datagram) { ASSERT_EQ(datagram.size(), size_t(sender.SendTo(udpPort, datagram))); }

    static void StopAndAwaitFreed(CTransportWrapper* wrapper)
    {
        wrapper->Stop();
        EXPECT_TRUE(WaitUntil([] { return CWatchedWrapper::FreedCount() == 1; }));
    }

    void TearDown() override
    {
        if (media != 0)
            closesocket(media);
    }

    CDebugCapture debug;
    CLoopbackSocket sender{SOCK_DGRAM};
    CLoopbackSocket server{SOCK_STREAM};
    int udpPort = 0;
    SOCKET media = 0;
};

struct DatagramCase {
    const char* name;
    std::vector<size_t> sent;
    std::vector<size_t> delivered; // indexes into sent
};

const DatagramCase kDatagramCases[] = {
    {"the largest datagram arrives whole", {CTransportWrapper::kMaxChunk}, {0}},
    {"one byte more is dropped, the next arrives", {CTransportWrapper::kMaxChunk + 1, 40}, {1}},
    {"a datagram far too long is dropped", {60000, 1, 2}, {1, 2}},
    {"an empty datagram delivers nothing", {0, 9}, {1}},
};

} // namespace

TEST_F(TransportWrapperTest, UdpDeliversWholeDatagramsExactlyAsSent)
{
    for (const DatagramCase& c : kDatagramCases) {
        SCOPED_TRACE(c.name);
        ResetRecords();
        CTransportWrapper* wrapper = StartUdp(nullptr, Record);
        ASSERT_TRUE(wrapper);
        for (size_t i = 0; i < c.sent.size(); ++i)
            Send(Payload(c.sent[i], static_cast<int>(i)));
        // Loopback keeps the order: once the last datagram is in, every earlier one was handled.
        EXPECT_TRUE(WaitUntil([&] { return ChunkCount() >= c.delivered.size(); }));
        StopAndAwaitFreed(wrapper);
        std::vector<Chunk> got = Chunks();
        ASSERT_EQ(c.delivered.size(), got.size());
        for (size_t i = 0; i < got.size(); ++i) {
            size_t index = c.delivered[i];
            EXPECT_EQ(kPlayerId, got[i].playerId);
            EXPECT_EQ(kUser, got[i].user);
            EXPECT_EQ(STREAM_DATA_MEDIA, got[i].dataType);
            EXPECT_TRUE(Payload(c.sent[index], static_cast<int>(index)) == got[i].bytes) << "datagram " << index;
        }
    }
}

TEST_F(TransportWrapperTest, TcpBurstArrivesInBoundedChunksThatJoinToTheBytesSent)
{
    CTransportWrapper* wrapper = StartTcp(Record);
    ASSERT_TRUE(wrapper);
    const std::string burst = Payload(3 * CTransportWrapper::kMaxChunk + 77, 1);
    ASSERT_EQ(int(burst.size()), SendSocket(media, burst.data(), int(burst.size())));
    size_t joinedLength = 0;
    EXPECT_TRUE(WaitUntil([&] {
        joinedLength = 0;
        for (const Chunk& chunk : Chunks())
            joinedLength += chunk.bytes.size();
        return joinedLength >= burst.size();
    }));
    StopAndAwaitFreed(wrapper);
    std::string joined;
    std::vector<Chunk> got = Chunks();
    for (const Chunk& chunk : got) {
        EXPECT_LE(chunk.bytes.size(), size_t(CTransportWrapper::kMaxChunk));
        joined += chunk.bytes;
    }
    EXPECT_GE(got.size(), 4u);
    EXPECT_TRUE(joined == burst);
}

TEST_F(TransportWrapperTest, AdapterIsFedOnlyWhileAWindowIsSetAndBeforeTheCallback)
{
    struct Case {
        const char* name;
        HWND initialWindow;
        HWND laterWindow; // given through ResetWndHandle when set; else the test opens the adapter
        bool adapterFed;
    };
    const Case cases[] = {
        {"no window", nullptr, nullptr, false},
        {"window from the start", kWindow, nullptr, true},
        {"window given later", nullptr, kWindow, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ResetRecords();
        CTransportWrapper* wrapper = StartUdp(c.initialWindow, Record);
        ASSERT_TRUE(wrapper);
        if (c.laterWindow) {
            wrapper->ResetWndHandle(c.laterWindow, kHeader, sizeof kHeader, false);
        } else {
            ASSERT_EQ(0, wrapper->GetRenderer()->Init(kPlayerId, kWindow, false));
            ASSERT_EQ(0, wrapper->GetRenderer()->OpenStream(kHeader, sizeof kHeader));
        }
        Send(Payload(100, 0));
        Send(Payload(200, 1));
        EXPECT_TRUE(WaitUntil([] { return ChunkCount() == 2; }));
        StopAndAwaitFreed(wrapper);
        std::vector<std::string> expectedInputs;
        if (c.adapterFed)
            expectedInputs = {"Lumo_InputData(0,100)", "Lumo_InputData(0,200)"};
        EXPECT_EQ(expectedInputs, CFakeLumodec::CallsOf("Lumo_InputData"));
        std::vector<Chunk> got = Chunks();
        ASSERT_EQ(2u, got.size());
        EXPECT_EQ(c.adapterFed ? 1u : 0u, got[0].adapterInputs);
        EXPECT_EQ(c.adapterFed ? 2u : 0u, got[1].adapterInputs);
    }
}

TEST_F(TransportWrapperTest, ThrowingCallbackIsLoggedOncePerThrowAndTheStreamGoesOn)
{
    CTransportWrapper* wrapper = StartUdp(nullptr, RecordThenThrowOnOdd);
    ASSERT_TRUE(wrapper);
    for (int i = 0; i < 4; ++i)
        Send(Payload(30 + i, i));
    EXPECT_TRUE(WaitUntil([] { return ChunkCount() == 4; }));
    StopAndAwaitFreed(wrapper);
    EXPECT_EQ(std::vector<std::string>(2, kExceptionLine), debug.Lines());
}

TEST_F(TransportWrapperTest, AfterStopNothingIsDeliveredAndTheThreadFreesEverything)
{
    CTransportWrapper* wrapper = StartUdp(kWindow, Record);
    ASSERT_TRUE(wrapper);
    CVAROH264Renderer* renderer = wrapper->GetRenderer();
    ASSERT_EQ(0, renderer->Init(kPlayerId, kWindow, false));
    ASSERT_EQ(0, renderer->OpenStream(kHeader, sizeof kHeader));
    ASSERT_EQ(0, renderer->Play());
    std::atomic<bool> sending{true};
    std::thread traffic([&] {
        for (int i = 0; sending; ++i) {
            sender.SendTo(udpPort, Payload(64, i));
            Sleep(1);
        }
    });
    EXPECT_TRUE(WaitUntil([] { return ChunkCount() >= 3; }));
    StopAndAwaitFreed(wrapper);
    size_t deliveredBeforeFree = ChunkCount();
    Sleep(50);
    sending = false;
    traffic.join();
    EXPECT_EQ(deliveredBeforeFree, ChunkCount());
    std::vector<std::string> calls = CFakeLumodec::Calls();
    ASSERT_GE(calls.size(), 4u);
    std::vector<std::string> last(calls.end() - 4, calls.end());
    EXPECT_EQ((std::vector<std::string>{"Lumo_Stop(0)", "Lumo_ResetSourceBuffer(0)", "Lumo_CloseStream(0)",
                                        "Lumo_FreePort(0)"}),
              last);
}

TEST_F(TransportWrapperTest, StopFromInsideTheCallbackEndsTheStreamAfterThatChunk)
{
    ASSERT_TRUE(StartUdp(nullptr, RecordThenStop));
    for (int i = 0; i < 3; ++i)
        Send(Payload(10, i));
    EXPECT_TRUE(WaitUntil([] { return CWatchedWrapper::FreedCount() == 1; }));
    EXPECT_EQ(1u, ChunkCount());
}

TEST_F(TransportWrapperTest, ServerClosingTheTcpConnectionLeavesAPausingThreadThatStillStops)
{
    CTransportWrapper* wrapper = StartTcp(Record);
    ASSERT_TRUE(wrapper);
    ASSERT_EQ(5, SendSocket(media, "hello", 5));
    EXPECT_TRUE(WaitUntil([] { return ChunkCount() == 1; }));
    closesocket(media);
    media = 0;
    long cpuBefore = ProcessCpuMilliseconds();
    Sleep(300);
    // Every pass now reads 0 bytes; without the pause after it the thread would spin a core.
    EXPECT_LT(ProcessCpuMilliseconds() - cpuBefore, 100);
    StopAndAwaitFreed(wrapper);
    EXPECT_EQ(1u, ChunkCount());
}

TEST_F(TransportWrapperTest, FailedInitializeSaysWhereAndLeavesNothingOpen)
{
    CLoopbackSocket takenUdp(SOCK_DGRAM);
    CLoopbackSocket refusingTcp(SOCK_STREAM); // bound, never listening: connects are refused
    struct Case {
        const char* name;
        int playerId;
        TransportParams params;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {"negative player id", -1, Params(TransportUdp, 0, 0), {}},
        {"udp port taken", kPlayerId, Params(TransportUdp, 0, takenUdp.Port()),
         {"zrk--------client CTransportWrapper Initialize failed 1!\n"}},
        {"unknown kind", kPlayerId, Params(3, 0, 0), {"zrk--------client CTransportWrapper Initialize failed 1!\n"}},
        {"tcp connect refused", kPlayerId, Params(TransportTcp, refusingTcp.Port(), 0),
         {"zrk--------client CTransportWrapper Initialize failed 2!\n"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        debug.Clear();
        int handles = OpenHandleCount();
        // The wrapper never started a thread, so it stays ours to free.
        std::unique_ptr<CTransportWrapper> wrapper(new CTransportWrapper);
        EXPECT_EQ(-1, wrapper->Initialize(c.playerId, kUser, kWindow, Record, &c.params));
        EXPECT_EQ(c.lines, debug.Lines());
        EXPECT_EQ(nullptr, wrapper->GetRenderer());
        EXPECT_EQ(handles, OpenHandleCount());
    }
}
