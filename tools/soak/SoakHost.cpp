#include "SoakHost.h"

#include "CallMonitor.h"

#include <chrono>
#include <climits>
#include <cstdio>
#include <functional>
#include <thread>
#include <vector>

namespace {

HWND const kWindow = reinterpret_cast<HWND>(1);
const int kOutOfRange[] = {-1, 100, 1000, INT_MIN, INT_MAX};
// Of a hundred calls, how many go to an id believed live, and how many out of range; the
// rest to any id of 0..99.
const int kLiveIdPercent = 40;
const int kOutOfRangePercent = 5;
// One media chunk in so many makes the data callback call an export.
const int kDataCallOneIn = 400;
// One set-up, time or disconnect message in so many makes the callback re-enter its id.
const int kReenterOneIn = 3;
const int kVarosOneIn = 6;
// How long a call may stay past its bound before the soak takes it for hung and stops waiting.
const auto kHangGrace = std::chrono::seconds(60);
const int kDrainPollMs = 200;

} // namespace

std::atomic<CSoakHost*> CSoakHost::running{nullptr};
std::atomic<int> CSoakHost::callbacksRunning{0};

CSoakHost::CSoakHost(CCallMonitor& monitor, const CSoakServers& servers, const std::string& grabDir)
    : monitor(monitor), book(monitor), actions(monitor, servers, book, grabDir, OnData, OnMessage)
{
    running = this;
}

CSoakHost::~CSoakHost()
{
    running = nullptr;
}

std::mt19937& CSoakHost::Random()
{
    thread_local std::mt19937 random(static_cast<unsigned>(
        std::hash<std::thread::id>()(std::this_thread::get_id()) ^
        static_cast<size_t>(std::chrono::steady_clock::now().time_since_epoch().count())));
    return random;
}

const ExportSet& CSoakHost::RandomSet(std::mt19937& random)
{
    return random() % kVarosOneIn == 0 ? ExportSet::varos : ExportSet::streamClient;
}

void CSoakHost::WarmUp(const std::string& url)
{
    std::vector<int> ids;
    for (int i = 0; i < CPlayerBook::kIds; ++i)
        ids.push_back(StreamClient_CreatePlayer(nullptr, nullptr, nullptr, OnMessage, 1));
    for (int id : ids)
        StreamClient_Destroy(id);
    for (int udp = 0; udp <= 1; ++udp) {
        int id = StreamClient_CreatePlayer(nullptr, kWindow, nullptr, OnMessage, udp);
        StreamClient_OpenURL(id, url.c_str(), book.UserValue(id));
        StreamClient_Play(id);
        std::mt19937& random = Random();
        actions.GrabPic(ExportSet::streamClient, id, random);
        StreamClient_Stop(id);
    }
}

bool CSoakHost::Run(int seconds)
{
    std::vector<std::thread> threads;
    for (int i = 0; i < kThreads; ++i)
        threads.emplace_back(&CSoakHost::HostLoop, this);
    std::this_thread::sleep_for(std::chrono::seconds(seconds));
    stopping = true;
    const auto never = std::chrono::steady_clock::time_point::max();
    auto overdueSince = never;
    while (finished < kThreads) {
        std::this_thread::sleep_for(std::chrono::milliseconds(kDrainPollMs));
        auto now = std::chrono::steady_clock::now();
        if (!monitor.Overdue())
            overdueSince = never;
        else if (overdueSince == never)
            overdueSince = now;
        else if (now - overdueSince > kHangGrace) {
            for (std::thread& thread : threads)
                thread.detach();
            return false;
        }
    }
    for (std::thread& thread : threads)
        thread.join();
    return true;
}

void CSoakHost::DestroyAll()
{
    for (int id = 0; id < CPlayerBook::kIds; ++id)
        actions.Destroy(ExportSet::streamClient, id, Random());
}

bool CSoakHost::WaitForCallbacks()
{
    auto deadline = std::chrono::steady_clock::now() + kHangGrace;
    while (callbacksRunning.load(std::memory_order_acquire) != 0) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(kDrainPollMs));
    }
    return true;
}

void CSoakHost::CountCallbacks()
{
    monitor.Count("data callback: stream headers", headers);
    monitor.Count("data callback: media chunks", media);
    monitor.Count("data callback: exports called from it", dataCalls);
}

const CSoakHost::Action& CSoakHost::ChooseAction(std::mt19937& random) const
{
    // Weights: of every few hundred actions one exhausts the player ids.
    static const Action kActions[] = {
        {80, true, &CSoakActions::Start},
        {20, true, &CSoakActions::CreatePlayer},
        {1, true, &CSoakActions::Exhaust},
        {30, false, &CSoakActions::OpenURL},
        {40, false, &CSoakActions::Play},
        {30, false, &CSoakActions::Pause},
        {30, false, &CSoakActions::Resume},
        {30, false, &CSoakActions::RandomPlay},
        {30, false, &CSoakActions::ChangeRate},
        {20, false, &CSoakActions::GetVideoParams},
        {20, false, &CSoakActions::SetVideoParams},
        {20, false, &CSoakActions::PTZControl},
        {10, false, &CSoakActions::PTZSelZoomIn},
        {30, false, &CSoakActions::GetCurTime},
        {10, false, &CSoakActions::GrabPic},
        {20, false, &CSoakActions::ResetWndHandle},
        {20, false, &CSoakActions::ResetDataCallBack},
        {30, false, &CSoakActions::GetHeader},
        {10, false, &CSoakActions::GetPlayPort},
        {40, false, &CSoakActions::Decoder},
        {30, false, &CSoakActions::Stop},
        {20, false, &CSoakActions::Destroy},
    };
    bool full = book.LiveCount() >= kMaxPlayers;
    for (;;) {
        int total = 0;
        for (const Action& action : kActions)
            total += action.weight;
        int pick = static_cast<int>(random() % static_cast<unsigned>(total));
        for (const Action& action : kActions) {
            pick -= action.weight;
            if (pick < 0 && !(full && action.creates))
                return action;
            if (pick < 0)
                break;
        }
    }
}

int CSoakHost::ChooseId(std::mt19937& random) const
{
    int percent = static_cast<int>(random() % 100);
    if (percent < kOutOfRangePercent)
        return kOutOfRange[random() % (sizeof kOutOfRange / sizeof kOutOfRange[0])];
    int live = percent < kOutOfRangePercent + kLiveIdPercent ? book.RandomLiveId(random) : -1;
    return live >= 0 ? live : static_cast<int>(random() % CPlayerBook::kIds);
}

void CSoakHost::HostLoop()
{
    std::mt19937& random = Random();
    while (!stopping) {
        const Action& action = ChooseAction(random);
        const ExportSet& e = RandomSet(random);
        (actions.*action.run)(e, ChooseId(random), random);
    }
    ++finished;
}

void STREAMCLIENT_CALL CSoakHost::OnData(int id, void* user, int type, const unsigned char* data, int length)
{
    callbacksRunning.fetch_add(1, std::memory_order_relaxed);
    if (CSoakHost* host = running.load())
        host->DataArrived(id, user, type, data, length);
    callbacksRunning.fetch_sub(1, std::memory_order_release);
}

void STREAMCLIENT_CALL CSoakHost::OnMessage(int id, int code, int param1, int param2)
{
    callbacksRunning.fetch_add(1, std::memory_order_relaxed);
    if (CSoakHost* host = running.load())
        host->MessageArrived(id, code, param1, param2);
    callbacksRunning.fetch_sub(1, std::memory_order_release);
}

void CSoakHost::DataArrived(int id, void* user, int type, const unsigned char* data, int length)
{
    bool header = type == STREAM_DATA_HEADER && length >= 0 && length < 1024;
    bool chunk = type == STREAM_DATA_MEDIA && length > 0;
    if (id < 0 || id >= CPlayerBook::kIds || user != book.UserValue(id) || !data || !(header || chunk)) {
        char text[160];
        std::snprintf(text, sizeof text, "data callback(id %d, user %p, type %d, data %p, length %d): not as documented",
                      id, user, type, static_cast<const void*>(data), length);
        monitor.Fail(text);
        return;
    }
    ++(header ? headers : media);
    std::mt19937& random = Random();
    if (chunk && random() % kDataCallOneIn == 0)
        CallFromData(id, random);
}

// On the stream's own receive thread, which holds no lock of the library: any export may be
// called, on this player or on another.
void CSoakHost::CallFromData(int id, std::mt19937& random)
{
    ++dataCalls;
    const ExportSet& e = RandomSet(random);
    switch (random() % 8) {
    case 0:
        actions.Stop(e, id, random);
        break;
    case 1:
        actions.Destroy(e, id, random);
        break;
    case 2:
        actions.GetCurTime(e, id, random);
        break;
    case 3:
        actions.ResetDataCallBack(e, id, random);
        break;
    case 4:
        actions.Pause(e, id, random);
        break;
    case 5:
        actions.ResetWndHandle(e, id, random);
        break;
    case 6:
        actions.GetHeader(e, book.RandomLiveId(random), random);
        break;
    default:
        actions.GrabPic(e, id, random);
        break;
    }
}

void CSoakHost::MessageArrived(int id, int code, int param1, int param2)
{
    bool known = code == STREAM_MSG_TIMESTAMP || code == STREAM_MSG_DISCONNECT ||
                 (code == STREAM_MSG_SETUP_RESULT && (param1 == 0 || param1 == 1));
    if (id < 0 || id >= CPlayerBook::kIds || !known || param2 != 0) {
        monitor.Fail("message callback(id " + std::to_string(id) + ", code " + std::to_string(code) + ", " +
                     std::to_string(param1) + ", " + std::to_string(param2) + "): not as documented");
        return;
    }
    monitor.Count("message callback: code " + std::to_string(code) +
                  (code == STREAM_MSG_SETUP_RESULT ? " with " + std::to_string(param1) : std::string()));
    std::mt19937& random = Random();
    if (random() % kReenterOneIn == 0) {
        monitor.Count("message callback: exports re-entering its id");
        actions.Reenter(RandomSet(random), id, random);
    }
}
