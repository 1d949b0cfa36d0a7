#include "fakes/FakeLumodec.h"

#include "decoder/lumodec.h"

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
int LUMO_CALL Lumo_SetStreamOpenMode(int port, int mode)
{
    return Answer(Record("Lumo_SetStreamOpenMode", port, mode));
}
int LUMO_CALL Lumo_OpenStream(int port, const unsigned char*, int headerLength, int bufferSize)
{
    return Answer(Record("Lumo_OpenStream", port, headerLength, bufferSize));
}
int LUMO_CALL Lumo_CloseStream(int port) { return Answer(Record("Lumo_CloseStream", port)); }
int LUMO_CALL Lumo_InputData(int port, const unsigned char*, int length)
{
    return Answer(Record("Lumo_InputData", port, length));
}
int LUMO_CALL Lumo_Play(int port, HWND window) { return Answer(Record("Lumo_Play", port, WindowNumber(window))); }
int LUMO_CALL Lumo_Pause(int port, int pause) { return Answer(Record("Lumo_Pause", port, pause)); }
int LUMO_CALL Lumo_Stop(int port) { return Answer(Record("Lumo_Stop", port)); }
int LUMO_CALL Lumo_ResetSourceBuffer(int port) { return Answer(Record("Lumo_ResetSourceBuffer", port)); }
int LUMO_CALL Lumo_Fast(int port) { return Answer(Record("Lumo_Fast", port)); }
int LUMO_CALL Lumo_Slow(int port) { return Answer(Record("Lumo_Slow", port)); }
int LUMO_CALL Lumo_SetVolume(int port, int volume) { return Answer(Record("Lumo_SetVolume", port, volume)); }
int LUMO_CALL Lumo_PlaySound(int port) { return Answer(Record("Lumo_PlaySound", port)); }
int LUMO_CALL Lumo_PlaySoundShare(int port) { return Answer(Record("Lumo_PlaySoundShare", port)); }
int LUMO_CALL Lumo_StopSound() { return Answer(Record("Lumo_StopSound")); }
int LUMO_CALL Lumo_StopSoundShare(int port) { return Answer(Record("Lumo_StopSoundShare", port)); }
int LUMO_CALL Lumo_RefreshPlay(int port) { return Answer(Record("Lumo_RefreshPlay", port)); }
int LUMO_CALL Lumo_RegisterDrawFun(int port, LumoDrawCallBack, void*)
{
    return Answer(Record("Lumo_RegisterDrawFun", port));
}
int LUMO_CALL Lumo_ThrowBFrameNum(int port, int count) { return Answer(Record("Lumo_ThrowBFrameNum", port, count)); }
int LUMO_CALL Lumo_SetDDrawDevice(int port, int device) { return Answer(Record("Lumo_SetDDrawDevice", port, device)); }
int LUMO_CALL Lumo_InitDDrawDevice() { return Answer(Record("Lumo_InitDDrawDevice")); }
int LUMO_CALL Lumo_ReleaseDDrawDevice() { return Answer(Record("Lumo_ReleaseDDrawDevice")); }
int LUMO_CALL Lumo_ConvertToBmpFile(const unsigned char*, int size, int width, int height, int pictureType,
                                  const char* path)
{
    return Answer(Record("Lumo_ConvertToBmpFile", size, width, height, pictureType, Text(path)));
}
int LUMO_CALL Lumo_ConvertToJpegFile(const unsigned char*, int size, int width, int height, int pictureType,
                                   const char* path)
{
    return Answer(Record("Lumo_ConvertToJpegFile", size, width, height, pictureType, Text(path)));
}

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
