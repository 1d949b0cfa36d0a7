#include "api/ExportCall.h"

#include "api/PlayerRegistry.h"
#include "api/StreamClientLib.h"
#include "rtsp/HostCallbackScope.h"

namespace {

void Write(const ExportMessages* messages, const char* ExportMessages::*line)
{
    if (messages && messages->*line)
        DebugOutput(messages->*line);
}

} // namespace

CExportCall::CExportCall(int playerId, const ExportMessages* exportMessages) : messages(exportMessages)
{
    CStreamClientLib& library = CStreamClientLib::Instance();
    if (!library.IsInitialised()) {
        Write(messages, &ExportMessages::notInitialised);
        return;
    }
    if (playerId < 0 || playerId >= CStreamClientLib::kSlots) {
        Write(messages, &ExportMessages::idOutOfRange);
        return;
    }
    if (CHostCallbackScope::IsActiveFor(playerId))
        return;
    slotLock = &library.SlotLock(playerId);
    slotLock->Enter();
    player = CPlayerRegistry::GetInstance()->FindPlayer(playerId);
    if (!player)
        Write(messages, &ExportMessages::noPlayer);
}

CExportCall::~CExportCall()
{
    if (slotLock)
        slotLock->Leave();
}

int CExportCall::Finish(int result)
{
    if (result != 0)
        Write(messages, &ExportMessages::failed);
    return result;
}
