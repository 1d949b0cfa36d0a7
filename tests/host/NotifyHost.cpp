// A host of client.dll, built apart from the library as a host application is: it hands the
// library an object whose table of virtual functions it laid out itself, opens a stream from a
// server of its own on 127.0.0.1 that answers the set-up and then refuses the keep-alives, and
// checks that the library's notifications land in the 1st, 2nd and 14th entries of that table.
// Exit status 0 when they do. Takes about 25 s: the loss is reported at the sixth keep-alive.
#include <winsock2.h>

#include "streamclient.h"

#include <cstdio>
#include <string>

namespace {

volatile LONG calledSlots = 0;

void Called(int slot)
{
    InterlockedOr(&calledSlots, 1L << slot);
}

// The library calls these as member functions. On i686 those are __thiscall: this in ECX, the
// arguments on the stack, removed by the callee, which a __stdcall function of the same
// arguments without this does alike. Elsewhere the convention macro is empty and this is an
// unused first argument.
template <int Slot>
void STREAMCLIENT_CALL WithInt(int)
{
    Called(Slot);
}

template <int Slot>
void STREAMCLIENT_CALL WithNothing()
{
    Called(Slot);
}

// The object as a host's compiler lays it out: a pointer to its table, nothing else.
struct HostObject {
    const void* const* table;
};

const void* const kTable[14] = {
    reinterpret_cast<const void*>(WithInt<1>),      reinterpret_cast<const void*>(WithInt<2>),
    reinterpret_cast<const void*>(WithNothing<3>),  reinterpret_cast<const void*>(WithNothing<4>),
    reinterpret_cast<const void*>(WithNothing<5>),  reinterpret_cast<const void*>(WithNothing<6>),
    reinterpret_cast<const void*>(WithNothing<7>),  reinterpret_cast<const void*>(WithNothing<8>),
    reinterpret_cast<const void*>(WithNothing<9>),  reinterpret_cast<const void*>(WithNothing<10>),
    reinterpret_cast<const void*>(WithNothing<11>), reinterpret_cast<const void*>(WithNothing<12>),
    reinterpret_cast<const void*>(WithNothing<13>), reinterpret_cast<const void*>(WithNothing<14>)};

const char kSetupReply[] = "RTSP/1.0 200 OK\r\nCSeq: 1\r\nSession: 7\r\n"
                           "Transport: RTP/AVP/UDP;unicast;client_port=10000-10001;server_port=20000-20001\r\n"
                           "timestamp: 5\r\nContent-Length: 40\r\n\r\n"
                           "LUMO";

// Reads one request up to its blank line; false when the connection has ended.
bool ReadRequest(SOCKET connection)
{
    std::string request;
    char buffer[512];
    int received = 0;
    while (request.find("\r\n\r\n") == std::string::npos) {
        if ((received = recv(connection, buffer, sizeof buffer, 0)) <= 0)
            return false;
        request.append(buffer, static_cast<size_t>(received));
    }
    return true;
}

// Answers the set-up with a 40-byte stream header (zeros after its magic) and every later
// request, the keep-alives, with an error: the library takes that for a lost server.
DWORD WINAPI Serve(void* listener)
{
    SOCKET connection = accept(reinterpret_cast<SOCKET>(listener), nullptr, nullptr);
    std::string reply(kSetupReply);
    reply.append(36, '\0');
    while (ReadRequest(connection)) {
        send(connection, reply.data(), static_cast<int>(reply.size()), 0);
        reply = "RTSP/1.0 454 Session Not Found\r\nCSeq: 0\r\n\r\n";
    }
    return 0;
}

// A listener on 127.0.0.1 and a port the system picks; its port in *port.
SOCKET Listen(unsigned short* port)
{
    SOCKET listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address);
    int length = sizeof address;
    getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
    listen(listener, 1);
    *port = ntohs(address.sin_port);
    return listener;
}

bool WaitForSlots(LONG slots, int seconds)
{
    for (int i = 0; i < seconds * 10 && (calledSlots & slots) != slots; ++i)
        Sleep(100);
    return (calledSlots & slots) == slots;
}

} // namespace

int main()
{
    if (InitStreamClientLib() != 0)
        return 1;
    unsigned short port = 0;
    SOCKET listener = Listen(&port);
    CloseHandle(CreateThread(nullptr, 0, Serve, reinterpret_cast<void*>(listener), 0, nullptr));

    HostObject host{kTable};
    int id = StreamClient_CreatePlayer(reinterpret_cast<CStreamNotify*>(&host), nullptr, nullptr, nullptr, 1);
    std::string url = "rtsp://127.0.0.1:" + std::to_string(port) + "/live/av_stream";
    int opened = StreamClient_OpenURL(id, url.c_str(), nullptr);
    // The set-up outcome arrives before OpenURL returns; the loss of the server comes later.
    const LONG setupSlots = (1L << 1) | (1L << 2);
    const LONG allSlots = setupSlots | (1L << 14);
    bool right = opened == 1 && calledSlots == setupSlots && WaitForSlots(allSlots, 40) && calledSlots == allSlots;
    StreamClient_Destroy(id);
    std::printf("open %d, slots called 0x%lx: %s\n", opened, static_cast<unsigned long>(calledSlots),
                right ? "as expected" : "WRONG");
    return right ? 0 : 1;
}
