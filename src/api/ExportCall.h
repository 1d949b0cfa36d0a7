#pragma once

#include "platform/CriticalSection.h"

class CVaroPlayer;

// The debug lines an export writes at the steps of its course; null where it writes none.
struct ExportMessages {
    const char* notInitialised;
    const char* idOutOfRange;
    const char* noPlayer;
    const char* failed; // the player's result was not 0 (also after noPlayer)
};

// The course every export on a player id shares: the library must be initialised, the id in
// range and not re-entered from one of its own callbacks; then the id's slot lock is held for
// the rest of the call and the player looked up.
class CExportCall {
public:
    CExportCall(int playerId, const ExportMessages* messages);
    ~CExportCall();
    CExportCall(const CExportCall&) = delete;
    CExportCall& operator=(const CExportCall&) = delete;

    // Whether the checks passed and the slot lock is held.
    bool Admitted() const { return slotLock != nullptr; }
    // The player of the id; null when refused or when the id names none.
    CVaroPlayer* Player() const { return player; }
    // Passes the player's result through, writing the failure line when it is not 0.
    int Finish(int result);

private:
    const ExportMessages* messages;
    CCriticalSection* slotLock = nullptr;
    CVaroPlayer* player = nullptr;
};

// Runs operation(player) on the course above; -1 when refused. Nothing thrown leaves an export.
template <typename Operation>
int CallPlayer(int playerId, const ExportMessages* messages, Operation operation)
{
    try {
        CExportCall call(playerId, messages);
        if (!call.Admitted())
            return -1;
        return call.Finish(call.Player() ? operation(*call.Player()) : -1);
    } catch (...) {
        return -1;
    }
}
