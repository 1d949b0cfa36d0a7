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

// Logs "function(arg,arg)"; 1, or 0 where the function was told to refuse.
template <typename... Args>
int Record(const char* function, const Args&... args)
{
    std::ostringstream line;
    [[maybe_unused]] const char* separator = "";
    line << function << "(";
    ((line << separator << args, separator = ","), ...);
    line << ")";
    return Locked([&](State& s) {
        s.calls.push_back(line.str());
        return s.refused.count(function) ? 0 : 1;
    });
}

const char* Text(const char* path) { return path ? path : "(null)"; }

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

std::vector<std::string> CFakeLumodec::Calls() { return Locked([](State& s) { return s.calls; }); }
void CFakeLumodec::ClearCalls() { Locked([](State& s) { s.calls.clear(); }); }
void CFakeLumodec::SetPlayedTime(unsigned units) { Locked([units](State& s) { s.playedTime = units; }); }
bool CFakeLumodec::HasDisplayCallBack(int port) { return Locked([port](State& s) { return s.display.count(port) != 0; }); }

std::vector<std::string> CFakeLumodec::CallsOf(const std::string& function)
{
    std::vector<std::string> all = Calls(), matching;
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

bool CFakeLumodec::ShowFrame(int port)
{
    LumoDisplayCallBack callback = Locked([port](State& s) {
        auto found = s.display.find(port);
        return found == s.display.end() ? nullptr : found->second;
    });
    if (!callback)
        return false;
    unsigned char yv12[4 * 2 * 3 / 2] = {};
    callback(port, yv12, sizeof yv12, 4, 2, 0, 3, 0);
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
    int answer = Record("Lumo_FreePort", port);
    Locked([port](State& s) { s.ports.erase(port); });
    return answer;
}

int LUMO_CALL Lumo_SetDisplayCallBack(int port, LumoDisplayCallBack callback)
{
    if (!Record("Lumo_SetDisplayCallBack", port, callback ? "callback" : "null"))
        return 0;
    Locked([&](State& s) {
        if (callback)
            s.display[port] = callback;
        else
            s.display.erase(port);
    });
    return 1;
}

unsigned LUMO_CALL Lumo_GetPlayedTimeEx(int port)
{
    Record("Lumo_GetPlayedTimeEx", port);
    return Locked([](State& s) { return s.playedTime; });
}

// Functions that only log their call and answer as told.
int LUMO_CALL Lumo_SetStreamOpenMode(int port, int mode) { return Record("Lumo_SetStreamOpenMode", port, mode); }
int LUMO_CALL Lumo_OpenStream(int port, const unsigned char*, int headerLength, int bufferSize)
{
    return Record("Lumo_OpenStream", port, headerLength, bufferSize);
}
int LUMO_CALL Lumo_CloseStream(int port) { return Record("Lumo_CloseStream", port); }
int LUMO_CALL Lumo_InputData(int port, const unsigned char*, int length) { return Record("Lumo_InputData", port, length); }
int LUMO_CALL Lumo_Play(int port, HWND window) { return Record("Lumo_Play", port, reinterpret_cast<uintptr_t>(window)); }
int LUMO_CALL Lumo_Pause(int port, int pause) { return Record("Lumo_Pause", port, pause); }
int LUMO_CALL Lumo_Stop(int port) { return Record("Lumo_Stop", port); }
int LUMO_CALL Lumo_ResetSourceBuffer(int port) { return Record("Lumo_ResetSourceBuffer", port); }
int LUMO_CALL Lumo_Fast(int port) { return Record("Lumo_Fast", port); }
int LUMO_CALL Lumo_Slow(int port) { return Record("Lumo_Slow", port); }
int LUMO_CALL Lumo_SetVolume(int port, int volume) { return Record("Lumo_SetVolume", port, volume); }
int LUMO_CALL Lumo_PlaySound(int port) { return Record("Lumo_PlaySound", port); }
int LUMO_CALL Lumo_PlaySoundShare(int port) { return Record("Lumo_PlaySoundShare", port); }
int LUMO_CALL Lumo_StopSound() { return Record("Lumo_StopSound"); }
int LUMO_CALL Lumo_StopSoundShare(int port) { return Record("Lumo_StopSoundShare", port); }
int LUMO_CALL Lumo_RefreshPlay(int port) { return Record("Lumo_RefreshPlay", port); }
int LUMO_CALL Lumo_RegisterDrawFun(int port, LumoDrawCallBack, void*) { return Record("Lumo_RegisterDrawFun", port); }
int LUMO_CALL Lumo_ThrowBFrameNum(int port, int count) { return Record("Lumo_ThrowBFrameNum", port, count); }
int LUMO_CALL Lumo_SetDDrawDevice(int port, int device) { return Record("Lumo_SetDDrawDevice", port, device); }
int LUMO_CALL Lumo_InitDDrawDevice() { return Record("Lumo_InitDDrawDevice"); }
int LUMO_CALL Lumo_ReleaseDDrawDevice() { return Record("Lumo_ReleaseDDrawDevice"); }
int LUMO_CALL Lumo_ConvertToBmpFile(const unsigned char*, int size, int width, int height, int type, const char* path)
{
    return Record("Lumo_ConvertToBmpFile", size, width, height, type, Text(path));
}
int LUMO_CALL Lumo_ConvertToJpegFile(const unsigned char*, int size, int width, int height, int type, const char* path)
{
    return Record("Lumo_ConvertToJpegFile", size, width, height, type, Text(path));
}

} // extern "C"
