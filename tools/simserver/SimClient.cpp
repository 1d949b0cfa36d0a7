#include "SimClient.h"

#include <chrono>

namespace {

int RemainingMs(std::chrono::steady_clock::time_point deadline)
{
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

} // namespace

bool ReceiveInto(SOCKET s, std::string& pending, int timeoutMs)
{
    if (WaitSocket(s, SocketWait::Readable, timeoutMs) != 1)
        return false;
    char buffer[8192];
    int received = static_cast<int>(recv(s, buffer, sizeof buffer, 0));
    if (received <= 0)
        return false;
    pending.append(buffer, static_cast<size_t>(received));
    return true;
}

CSimClient::CSimClient(unsigned short port)
{
    socket = OpenSocket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in server{};
    server.sin_family = AF_INET;
    server.sin_port = htons(port);
    server.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(socket, reinterpret_cast<sockaddr*>(&server), sizeof server) != 0)
        Close();
}

CSimClient::~CSimClient()
{
    Close();
}

void CSimClient::Close()
{
    if (socket)
        closesocket(socket);
    socket = 0;
}

bool CSimClient::Send(const std::string& text)
{
    return socket && SendSocket(socket, text.data(), static_cast<int>(text.size())) == static_cast<int>(text.size());
}

std::unique_ptr<CRtspMessage> CSimClient::Receive(int timeoutMs)
{
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        int length = static_cast<int>(pending.size());
        std::unique_ptr<CRtspMessage> message(pending.empty() ? nullptr : parser.Parse(pending.data(), length));
        if (message) {
            pending.erase(0, static_cast<size_t>(length));
            return message;
        }
        if (!socket || !ReceiveInto(socket, pending, RemainingMs(deadline)))
            return nullptr;
    }
}

std::unique_ptr<CRtspMessage> CSimClient::Request(const std::string& text, int timeoutMs)
{
    return Send(text) ? Receive(timeoutMs) : nullptr;
}

bool CSimClient::ClosedByServer(int timeoutMs)
{
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (socket && WaitSocket(socket, SocketWait::Readable, RemainingMs(deadline)) == 1) {
        char buffer[4096];
        if (recv(socket, buffer, sizeof buffer, 0) <= 0)
            return true;
    }
    return false;
}
