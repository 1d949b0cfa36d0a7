#pragma once

#include <string>
#include <vector>

// A recording stand-in for the decoder library, linked into the tests in its place. Every
// Lumo_ call is logged with its arguments ("Lumo_OpenStream(0,40,1310720)"; data as its
// length, windows as numbers, paths as text); any function can be told to refuse (return 0).
// Ports are handed out from 0 upwards, lowest free first.
class CFakeLumodec {
public:
    // Forgets calls, refusals, ports, callbacks and the played time.
    static void Reset();
    static std::vector<std::string> Calls();
    // Forgets the calls logged so far, nothing else.
    static void ClearCalls();
    // Calls whose log line starts with the given function name.
    static std::vector<std::string> CallsOf(const std::string& function);
    static void Refuse(const std::string& function, bool refuse = true);
    // What Lumo_GetPlayedTimeEx answers.
    static void SetPlayedTime(unsigned units);
    static bool HasDisplayCallBack(int port);
    // Shows one frame on the port: calls its display callback, if one is registered, outside
    // the fake's lock, with a small YV12 picture. False when none is registered.
    static bool ShowFrame(int port);
};
