#include "TestPort.h"

#include "fakes/WaitUntil.h"
#include "decoder/lumodec.h"

CTestPort::CTestPort(uint32_t packaging, int bufferSize, int mode)
{
    Bytes header = Header(packaging);
    open = Lumo_GetPort(&port) && Lumo_SetStreamOpenMode(port, mode) &&
           Lumo_OpenStream(port, header.data(), static_cast<int>(header.size()), bufferSize);
}

CTestPort::~CTestPort()
{
    Lumo_Stop(port);
    Lumo_CloseStream(port);
    Lumo_FreePort(port);
}

bool CTestPort::Feed(const std::vector<Bytes>& blocks)
{
    for (const Bytes& block : blocks) {
        if (!WaitUntil([&] { return Lumo_InputData(port, block.data(), static_cast<int>(block.size())) != 0; }))
            return false;
    }
    return true;
}

Bytes CTestPort::Header(uint32_t packaging)
{
    LumoStreamHeader header;
    header.packaging = packaging;
    header.width = 64;
    header.height = 48;
    header.frameRate = 25;
    Bytes bytes(LumoStreamHeader::kSize);
    header.Write(bytes.data());
    return bytes;
}
