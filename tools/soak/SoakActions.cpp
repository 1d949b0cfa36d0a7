#include "SoakActions.h"

#include "CallMonitor.h"
#include "PlayerBook.h"
#include "SoakServers.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

namespace {

HWND const kWindows[] = {nullptr, reinterpret_cast<HWND>(1), reinterpret_cast<HWND>(2)};
// The decoder's steps and a few it does not know.
const int kRates[] = {-8, -4, -2, 0, 2, 4, 8, 1, 16};
// Tilt, pan, zoom, home, zoom into an area, and an unknown command.
const int kCommands[] = {1, 2, 3, 4, 5, 6, 7, 71, 99};
const int kHeaderSizes[] = {8, 40, 1024};
// BMP, JPEG, and a format that completes without a file.
const int kFormats[] = {0, 0, 1, 1, 2};
const int kNoFileFormat = 2;
const int kSentinel = 0x5a5a5a5a;
const unsigned char kHeaderFill = 0xa5;
// A stream header is shorter than the control connection's 1024-byte buffer.
const int kMaxHeader = 1023;
const int kMaxVideoParam = 255;
const size_t kOverlongGrabPath = 1025;
// Seeks reach beyond the end of the two-minute recording too.
const int kSeekSeconds = 150;
const int kPictureWidth = 160;
const int kPictureHeight = 96;

int Pick(std::mt19937& random, int n)
{
    return static_cast<int>(random() % static_cast<unsigned>(n));
}

bool OneIn(std::mt19937& random, int n)
{
    return Pick(random, n) == 0;
}

template <typename T, size_t N>
const T& PickFrom(std::mt19937& random, const T (&values)[N])
{
    return values[Pick(random, static_cast<int>(N))];
}

bool FileExists(const std::string& path)
{
    FILE* file = std::fopen(path.c_str(), "rb");
    if (file)
        std::fclose(file);
    return file != nullptr;
}

} // namespace

CSoakActions::CSoakActions(CCallMonitor& monitor, const CSoakServers& servers, CPlayerBook& book,
                           const std::string& grabDir, StreamDataCallBack dataCallBack,
                           StreamMessageCallBack messageCallBack)
    : monitor(monitor), servers(servers), book(book), grabDir(grabDir), dataCallBack(dataCallBack),
      messageCallBack(messageCallBack)
{
}

template <typename Call>
int CSoakActions::Checked(const ExportSet& e, const char* name, int id, int worstMs, Results results, Call call)
{
    int result = monitor.Watch(e.prefix, name, id, worstMs, call);
    if (results == Results::Nothing)
        return result;
    if (!InRange(id)) {
        int refusal = results == Results::Boolean ? 0 : -1;
        monitor.Expect(result == refusal, e.prefix, name, id, result, "-1 (false) for an id out of range");
    } else if (results == Results::OneOrMinusOne) {
        monitor.Expect(result == 1 || result == -1, e.prefix, name, id, result, "1 on success, -1 otherwise");
    } else if (results == Results::ZeroOrMinusOne) {
        monitor.Expect(result == 0 || result == -1, e.prefix, name, id, result, "0 on success, -1 otherwise");
    }
    return result;
}

// Stop and Destroy: the player the id held when the call began is gone when it returns.
template <typename Call>
int CSoakActions::Ended(const ExportSet& e, const char* name, int id, int worstMs, Call call)
{
    CSoakNotify* notify = book.NotifyOf(id);
    int result = Checked(e, name, id, worstMs, Results::ZeroOrMinusOne, call);
    book.Ended(id, notify);
    return result;
}

int CSoakActions::CreatePlayer(const ExportSet& e, int, std::mt19937& random)
{
    bool neither = OneIn(random, 40);
    int kind = Pick(random, 3); // notification object, message callback, or both
    CSoakNotify* notify = !neither && kind != 1 ? book.NewNotify() : nullptr;
    StreamMessageCallBack message = !neither && kind != 0 ? messageCallBack : nullptr;
    HWND window = OneIn(random, 2) ? kWindows[1] : nullptr;
    StreamDataCallBack data = OneIn(random, 5) ? nullptr : dataCallBack;
    int udp = Pick(random, 3); // 2 is nonzero too: UDP
    int id = monitor.Watch(e.prefix, "CreatePlayer", -1, kLocalMs,
                           [&] { return e.CreatePlayer(notify, window, data, message, udp); });
    monitor.Expect(id >= -1 && id < 100, e.prefix, "CreatePlayer", -1, id, "the player id (0..99) or -1");
    if (neither)
        monitor.Expect(id == -1, e.prefix, "CreatePlayer", -1, id, "-1 without notify and message callback");
    if (id >= 0)
        book.Created(id, notify);
    return id;
}

int CSoakActions::OpenURL(const ExportSet& e, int id, std::mt19937& random)
{
    bool refused = false;
    std::string url = servers.RandomUrl(random, refused);
    int result = Checked(e, "OpenURL", id, kOpenMs, Results::OneOrMinusOne,
                         [&] { return e.OpenURL(id, url.c_str(), book.UserValue(id)); });
    if (refused)
        monitor.Expect(result == -1, e.prefix, "OpenURL", id, result, "-1 for a URL refused or out of reach");
    return result;
}

int CSoakActions::Play(const ExportSet& e, int id, std::mt19937&)
{
    return Checked(e, "Play", id, kStreamRequestMs, Results::OneOrMinusOne, [&] { return e.Play(id); });
}

int CSoakActions::Pause(const ExportSet& e, int id, std::mt19937&)
{
    return Checked(e, "Pause", id, kStreamRequestMs, Results::OneOrMinusOne, [&] { return e.Pause(id); });
}

int CSoakActions::Resume(const ExportSet& e, int id, std::mt19937&)
{
    return Checked(e, "Resume", id, kStreamRequestMs, Results::OneOrMinusOne, [&] { return e.Resume(id); });
}

int CSoakActions::RandomPlay(const ExportSet& e, int id, std::mt19937& random)
{
    int seconds = Pick(random, kSeekSeconds);
    return Checked(e, "RandomPlay", id, kStreamRequestMs, Results::OneOrMinusOne,
                   [&] { return e.RandomPlay(id, seconds); });
}

int CSoakActions::ChangeRate(const ExportSet& e, int id, std::mt19937& random)
{
    int rate = PickFrom(random, kRates);
    return Checked(e, "ChangeRate", id, kStreamRequestMs, Results::ZeroOrMinusOne,
                   [&] { return e.ChangeRate(id, rate); });
}

int CSoakActions::GetVideoParams(const ExportSet& e, int id, std::mt19937&)
{
    int v[4] = {kSentinel, kSentinel, kSentinel, kSentinel};
    int result = Checked(e, "GetVideoParams", id, kStreamRequestMs, Results::ZeroOrMinusOne,
                         [&] { return e.GetVideoParams(id, &v[0], &v[1], &v[2], &v[3]); });
    bool untouched = std::all_of(v, v + 4, [](int value) { return value == kSentinel; });
    bool inRange = std::all_of(v, v + 4, [](int value) { return value >= 0 && value <= kMaxVideoParam; });
    if (result == -1)
        monitor.Expect(untouched, e.prefix, "GetVideoParams", id, result, "nothing written on failure");
    else if (result == 0)
        monitor.Expect(inRange, e.prefix, "GetVideoParams", id, result, "parameters of 0..255 on success");
    return result;
}

int CSoakActions::SetVideoParams(const ExportSet& e, int id, std::mt19937& random)
{
    int v[4];
    for (int& value : v)
        value = Pick(random, kMaxVideoParam + 1);
    bool outOfRange = OneIn(random, 10);
    if (outOfRange)
        v[Pick(random, 4)] = OneIn(random, 2) ? -1 : kMaxVideoParam + 1;
    int result = Checked(e, "SetVideoParams", id, kStreamRequestMs, Results::ZeroOrMinusOne,
                         [&] { return e.SetVideoParams(id, v[0], v[1], v[2], v[3]); });
    if (outOfRange)
        monitor.Expect(result == -1, e.prefix, "SetVideoParams", id, result, "-1 for a value outside 0..255");
    return result;
}

int CSoakActions::PTZControl(const ExportSet& e, int id, std::mt19937& random)
{
    int command = PickFrom(random, kCommands);
    int p[4];
    for (int& value : p)
        value = Pick(random, 9);
    return Checked(e, "PTZControl", id, kStreamRequestMs, Results::ZeroOrMinusOne,
                   [&] { return e.PTZControl(id, command, p[0], p[1], p[2], p[3]); });
}

int CSoakActions::PTZSelZoomIn(const ExportSet& e, int id, std::mt19937& random)
{
    int left = Pick(random, kPictureWidth / 2), top = Pick(random, kPictureHeight / 2);
    int area[4] = {left, top, left + 1 + Pick(random, kPictureWidth / 2), top + 1 + Pick(random, kPictureHeight / 2)};
    const int* given = OneIn(random, 10) ? nullptr : area;
    int result = Checked(e, "PTZSelZoomIn", id, kStreamRequestMs, Results::Boolean,
                         [&] { return e.PTZSelZoomIn(id, given) ? 1 : 0; });
    if (!given)
        monitor.Expect(result == 0, e.prefix, "PTZSelZoomIn", id, result, "false for a null area");
    return result;
}

int CSoakActions::GetCurTime(const ExportSet& e, int id, std::mt19937&)
{
    unsigned seconds = kSentinel;
    int result = Checked(e, "GetCurTime", id, kLocalMs, Results::ZeroOrMinusOne,
                         [&] { return e.GetCurTime(id, &seconds); });
    if (result == -1)
        monitor.Expect(seconds == static_cast<unsigned>(kSentinel), e.prefix, "GetCurTime", id, result,
                       "nothing written on failure");
    return result;
}

int CSoakActions::PlayPortOf(const ExportSet& e, int id)
{
    int port = kSentinel;
    int known = Checked(e, "GetPlayPort", id, kLocalMs, Results::Boolean, [&] { return e.GetPlayPort(id, &port) ? 1 : 0; });
    if (!known) {
        monitor.Expect(port == kSentinel, e.prefix, "GetPlayPort", id, known, "false leaves the int alone");
        return -1;
    }
    monitor.Expect(port >= 0, e.prefix, "GetPlayPort", id, known, "true with a port of 0 or more");
    return port;
}

int CSoakActions::GetPlayPort(const ExportSet& e, int id, std::mt19937&)
{
    return PlayPortOf(e, id);
}

int CSoakActions::GrabPic(const ExportSet& e, int id, std::mt19937& random)
{
    int port = PlayPortOf(e, id);
    if (port < 0)
        return GrabInSlot(e, id, random);
    std::unique_lock<std::mutex> slot(snapshotSlots[port % 100], std::try_to_lock);
    if (!slot.owns_lock()) {
        monitor.Count("GrabPic not called: the snapshot slot is in use");
        return 0;
    }
    return GrabInSlot(e, id, random);
}

int CSoakActions::GrabInSlot(const ExportSet& e, int id, std::mt19937& random)
{
    int format = PickFrom(random, kFormats);
    bool overlong = OneIn(random, 20);
    std::string path = overlong ? grabDir + "/" + std::string(kOverlongGrabPath, 'p') : GrabPath(format);
    int result = Checked(e, "GrabPic", id, kGrabMs, Results::ZeroOrMinusOne,
                         [&] { return e.GrabPic(id, path.c_str(), format); });
    if (overlong)
        monitor.Expect(result == -1, e.prefix, "GrabPic", id, result, "-1 for a path over 1024 characters");
    else if (result == 0)
        CheckFile(e, id, path, format);
    return result;
}

std::string CSoakActions::GrabPath(int format)
{
    const char* extension = format == 0 ? ".bmp" : format == 1 ? ".jpg" : ".none";
    return grabDir + "/grab-" + std::to_string(grabs++) + extension;
}

void CSoakActions::CheckFile(const ExportSet& e, int id, const std::string& path, int format)
{
    bool written = FileExists(path);
    if (format == kNoFileFormat) {
        monitor.Expect(!written, e.prefix, "GrabPic", id, 0, "no file for a format other than 0 and 1");
    } else {
        const char* kind = format == 0 ? "BMP" : "JPEG";
        monitor.Count(std::string("GrabPic ") + (written ? "wrote a " : "returned without a ") + kind + " file");
    }
    std::remove(path.c_str());
}

int CSoakActions::ResetWndHandle(const ExportSet& e, int id, std::mt19937& random)
{
    HWND window = PickFrom(random, kWindows);
    return Checked(e, "ResetWndHandle", id, kLocalMs, Results::ZeroOrMinusOne,
                   [&] { return e.ResetWndHandle(id, window); });
}

int CSoakActions::ResetDataCallBack(const ExportSet& e, int id, std::mt19937& random)
{
    StreamDataCallBack callback = OneIn(random, 4) ? nullptr : dataCallBack;
    return Checked(e, "ResetDataCallBack", id, kLocalMs, Results::ZeroOrMinusOne,
                   [&] { return e.ResetDataCallBack(id, callback); });
}

int CSoakActions::GetHeader(const ExportSet& e, int id, std::mt19937& random)
{
    int size = PickFrom(random, kHeaderSizes);
    std::vector<unsigned char> buffer(static_cast<size_t>(size), kHeaderFill);
    int result = Checked(e, "GetHeader", id, kLocalMs, Results::Length,
                         [&] { return e.GetHeader(id, buffer.data(), size); });
    if (!InRange(id))
        return result;
    monitor.Expect(result == -1 || (result >= 1 && result <= std::min(size, kMaxHeader)), e.prefix, "GetHeader", id,
                   result, "the header's length (1..buffer size, under 1024) or -1");
    if (result == -1)
        monitor.Expect(std::all_of(buffer.begin(), buffer.end(), [](unsigned char b) { return b == kHeaderFill; }),
                       e.prefix, "GetHeader", id, result, "a refused call changes nothing");
    return result;
}

int CSoakActions::Decoder(const ExportSet& e, int id, std::mt19937& random)
{
    int value = Pick(random, 0x10000);
    switch (Pick(random, 8)) {
    case 0:
        return Checked(e, "SetVolume", id, kLocalMs, Results::ZeroOrMinusOne, [&] { return e.SetVolume(id, value); });
    case 1:
        return Checked(e, "OpenSound", id, kLocalMs, Results::ZeroOrMinusOne, [&] { return e.OpenSound(id, value); });
    case 2:
        return Checked(e, "CloseSound", id, kLocalMs, Results::ZeroOrMinusOne, [&] { return e.CloseSound(id); });
    case 3:
        return Checked(e, "ThrowBFrameNum", id, kLocalMs, Results::ZeroOrMinusOne,
                       [&] { return e.ThrowBFrameNum(id, value % 4); });
    case 4:
        return Checked(e, "RefreshPlay", id, kLocalMs, Results::ZeroOrMinusOne, [&] { return e.RefreshPlay(id); });
    case 5:
        return Checked(e, "SetDDrawDevice", id, kLocalMs, Results::Boolean,
                       [&] { return e.SetDDrawDevice(id, value % 3) ? 1 : 0; });
    case 6:
        return Checked(e, "InitDDrawDevice", id, kLocalMs, Results::Boolean,
                       [&] { return e.InitDDrawDevice(id) ? 1 : 0; });
    default:
        return Checked(e, "ReleaseDDrawDevice", id, kLocalMs, Results::Nothing, [&] {
            e.ReleaseDDrawDevice(id);
            return 0;
        });
    }
}

int CSoakActions::Stop(const ExportSet& e, int id, std::mt19937&)
{
    return Ended(e, "Stop", id, kStreamRequestMs, [&] { return e.Stop(id); });
}

int CSoakActions::Destroy(const ExportSet& e, int id, std::mt19937&)
{
    return Ended(e, "Destroy", id, kLocalMs, [&] { return e.Destroy(id); });
}

int CSoakActions::Start(const ExportSet& e, int, std::mt19937& random)
{
    int id = CreatePlayer(e, -1, random);
    if (id < 0 || OpenURL(e, id, random) != 1)
        return -1;
    return Play(e, id, random);
}

int CSoakActions::Exhaust(const ExportSet& e, int, std::mt19937& random)
{
    std::vector<int> created;
    for (int id = CreatePlayer(e, -1, random); id >= 0 && created.size() < 100; id = CreatePlayer(e, -1, random))
        created.push_back(id);
    for (int id : created)
        Destroy(e, id, random);
    return static_cast<int>(created.size());
}

void CSoakActions::Reenter(const ExportSet& e, int id, std::mt19937& random)
{
    struct Call {
        const char* name;
        int (*run)(const ExportSet& e, int id);
    };
    static const Call calls[] = {
        {"Play", [](const ExportSet& e, int id) { return e.Play(id); }},
        {"Stop", [](const ExportSet& e, int id) { return e.Stop(id); }},
        {"Destroy", [](const ExportSet& e, int id) { return e.Destroy(id); }},
        {"OpenURL", [](const ExportSet& e, int id) { return e.OpenURL(id, "rtsp://127.0.0.1:1/x", nullptr); }},
        {"ResetWndHandle", [](const ExportSet& e, int id) { return e.ResetWndHandle(id, nullptr); }},
        {"GetHeader",
         [](const ExportSet& e, int id) {
             unsigned char buffer[64];
             return e.GetHeader(id, buffer, sizeof buffer);
         }},
    };
    const Call& call = PickFrom(random, calls);
    auto start = std::chrono::steady_clock::now();
    int result = monitor.Watch(e.prefix, call.name, id, kLocalMs, [&] { return call.run(e, id); });
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
    monitor.Expect(result == -1, e.prefix, call.name, id, result, "-1 from a set-up, time or disconnect callback of its id");
    if (ms > kLocalMs)
        monitor.Fail(std::string(e.prefix) + call.name + "(" + std::to_string(id) + ") took " + std::to_string(ms) +
                     " ms from a callback of its id: documented to refuse at once");
}
