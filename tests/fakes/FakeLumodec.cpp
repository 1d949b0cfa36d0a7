#include "fakes/FakeLumodec.h"

#include "player/lumodec.h"

#include <algorithm>
#include <cstdint>
#include <map>
#include <mutex>
#include <set>
#include <sstream>

namespace {

struct State {
    std::mutex mutex;
    std::vector<std::string> calls;
    std::set<std::string> refused;
    std::set<int> ports;
    std::map<int, LumoDisplayCallBack> display;
    unsigned playedTime = 0;
};

// Never destroyed: library threads may still call in while the process exits.
State& Fake()
{
    static State* state = new State;
    return *state;
}

// Runs the action on the fake's state under its lock.
template <typename Action>
auto Locked(Action action)
{
    std::lock_guard<std::mutex> guard(Fake().mutex);
    return action(Fake());
}

void Append(std::ostringstream&) {}

template <typename First, typename... Rest>
void Append(std::ostringstream& out, const First& first, const Rest&... rest)
{
    out << first;
    if (sizeof...(rest) > 0)
        out << ",";
    Append(out, rest...);
}

// Logs the call and answers whether the function may succeed.
template <typename... Args>
bool Record(const char* function, const Args&... args)
{
    std::ostringstream line;
    line << function << "(";
    Append(line, args...);
    line << ")";
    return Locked([&](State& s) {
        s.calls.push_back(line.str());
        return s.refused.count(function) == 0;
    });
}

int Answer(bool allowed)
{
    return allowed ? 1 : 0;
}

uintptr_t WindowNumber(HWND window)
{
    return reinterpret_cast<uintptr_t>(window);
}

const char* Text(const char* path)
{
    return path ? path : "(null)";
}

} // namespace

void CFakeLumodec::Reset()
{
    Locked([](State& s) {
        s.calls.clear();
        s.refused.clear();
        s.ports.clear();
        s.display.clear();
        s.playedTime = 0;
    });
}

std::vector<std::string> CFakeLumodec::Calls()
{
    return Locked([](State& s) { return s.calls; });
}

void CFakeLumodec::ClearCalls()
{
    Locked([](State& s) { s.calls.clear(); });
}

std::vector<std::string> CFakeLumodec::CallsOf(const std::string& function)
{
    std::vector<std::string> all = Calls();
    std::vector<std::string> matching;
    std::copy_if(all.begin(), all.end(), std::back_inserter(matching),
                 [&](const std::string& call) { return call.compare(0, function.size() + 1, function + "(") == 0; });
    return matching;
}

void CFakeLumodec::Refuse(const std::string& function, bool refuse)
{
    Locked([&](State& s) {
        if (refuse)
            s.refused.insert(function);
        else
            s.refused.erase(function);
    });
}

void CFakeLumodec::SetPlayedTime(unsigned units)
{
    Locked([units](State& s) { s.playedTime = units; });
}

bool CFakeLumodec::HasDisplayCallBack(int port)
{
    return Locked([port](State& s) { return s.display.count(port) != 0; });
}

bool CFakeLumodec::ShowFrame(int port)
{
    LumoDisplayCallBack callback = Locked([port](State& s) {
        auto found = s.display.find(port);
        return found == s.display.end() ? nullptr : found->second;
    });
    if (!callback)
        return false;
    const int width = 4, height = 2;
    unsigned char picture[width * height * 3 / 2] = {};
    const int yv12 = 3;
    callback(port, picture, sizeof picture, width, height, 0, yv12, 0);
    return true;
}

extern "C" {

int LUMO_CALL Lumo_GetPort(int* port)
{
    if (!Record("Lumo_GetPort") || !port)
        return 0;
    *port = Locked([](State& s) {
        int free = 0;
        while (s.ports.count(free))
            ++free;
        s.ports.insert(free);
        return free;
    });
    return 1;
}

int LUMO_CALL Lumo_FreePort(int port)
{
    bool allowed = Record("Lumo_FreePort", port);
    Locked([port](State& s) { s.ports.erase(port); });
    return Answer(allowed);
}

// Functions that only log their call and answer as told.
#define RECORDED(name, parameters, ...) \
    int LUMO_CALL name parameters { return Answer(Record(#name __VA_OPT__(, ) __VA_ARGS__)); }

RECORDED(Lumo_SetStreamOpenMode, (int port, int mode), port, mode)
RECORDED(Lumo_OpenStream, (int port, const unsigned char*, int headerLength, int bufferSize), port, headerLength,
         bufferSize)
RECORDED(Lumo_CloseStream, (int port), port)
RECORDED(Lumo_InputData, (int port, const unsigned char*, int length), port, length)
RECORDED(Lumo_Play, (int port, HWND window), port, WindowNumber(window))
RECORDED(Lumo_Pause, (int port, int pause), port, pause)
RECORDED(Lumo_Stop, (int port), port)
RECORDED(Lumo_ResetSourceBuffer, (int port), port)
RECORDED(Lumo_Fast, (int port), port)
RECORDED(Lumo_Slow, (int port), port)
RECORDED(Lumo_SetVolume, (int port, int volume), port, volume)
RECORDED(Lumo_PlaySound, (int port), port)
RECORDED(Lumo_PlaySoundShare, (int port), port)
RECORDED(Lumo_StopSound, ())
RECORDED(Lumo_StopSoundShare, (int port), port)
RECORDED(Lumo_RefreshPlay, (int port), port)
RECORDED(Lumo_RegisterDrawFun, (int port, LumoDrawCallBack, void*), port)
RECORDED(Lumo_ThrowBFrameNum, (int port, int count), port, count)
RECORDED(Lumo_SetDDrawDevice, (int port, int device), port, device)
RECORDED(Lumo_InitDDrawDevice, ())
RECORDED(Lumo_ReleaseDDrawDevice, ())
RECORDED(Lumo_ConvertToBmpFile, (const unsigned char*, int size, int width, int height, int pictureType, const char* path),
         size, width, height, pictureType, Text(path))
RECORDED(Lumo_ConvertToJpegFile, (const unsigned char*, int size, int width, int height, int pictureType, const char* path),
         size, width, height, pictureType, Text(path))

unsigned LUMO_CALL Lumo_GetPlayedTimeEx(int port)
{
    Record("Lumo_GetPlayedTimeEx", port);
    return Locked([](State& s) { return s.playedTime; });
}

int LUMO_CALL Lumo_SetDisplayCallBack(int port, LumoDisplayCallBack displayCallBack)
{
    if (!Record("Lumo_SetDisplayCallBack", port, displayCallBack ? "callback" : "null"))
        return 0;
    Locked([&](State& s) {
        if (displayCallBack)
            s.display[port] = displayCallBack;
        else
            s.display.erase(port);
    });
    return 1;
}

} // extern "C"
