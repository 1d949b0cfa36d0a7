#include "fakes/FakeRtspServer.h"

#include <chrono>
#include <cstdlib>

namespace {

const char kEndOfHeaders[] = "\r\n\r\n";
const int kPollMs = 5;

void Pause(int ms)
{
    if (ms > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

// The CSeq a request carries, 0 when none.
int RequestCSeq(const std::string& request)
{
    std::string::size_type at = request.find("CSeq: ");
    return at == std::string::npos ? 0 : std::atoi(request.c_str() + at + 6);
}

} // namespace

std::string ReplyText(const std::string& status, int cseq, const std::vector<std::string>& headers,
                      const std::string& body)
{
    std::string text = "RTSP/1.0 " + status + "\r\nCSeq: " + std::to_string(cseq) + "\r\n";
    for (const std::string& header : headers)
        text += header + "\r\n";
    if (!body.empty())
        text += "Content-Length: " + std::to_string(body.size()) + "\r\n";
    return text + "\r\n" + body;
}

CFakeRtspServer::CFakeRtspServer()
{
    listener = OpenSocket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t length = sizeof address;
    getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
    port = ntohs(address.sin_port);
    listen(listener, 128);
    thread = std::thread(&CFakeRtspServer::Run, this);
}

CFakeRtspServer::~CFakeRtspServer()
{
    {
        std::lock_guard<std::mutex> guard(mutex);
        stopping = true;
    }
    thread.join();
    for (Connection& c : connections)
        closesocket(c.socket);
    closesocket(listener);
}

std::string CFakeRtspServer::Url(const std::string& path) const
{
    return "rtsp://127.0.0.1:" + std::to_string(port) + path;
}

void CFakeRtspServer::Script(const std::vector<FakeReply>& replies)
{
    std::lock_guard<std::mutex> guard(mutex);
    script.assign(replies.begin(), replies.end());
}

void CFakeRtspServer::SetKeepAliveReply(const FakeReply& reply)
{
    std::lock_guard<std::mutex> guard(mutex);
    keepAliveReply = reply;
    keepAliveScripted = true;
}

std::vector<std::string> CFakeRtspServer::Requests()
{
    std::lock_guard<std::mutex> guard(mutex);
    return requests;
}

std::vector<std::string> CFakeRtspServer::KeepAlives()
{
    std::lock_guard<std::mutex> guard(mutex);
    return keepAlives;
}

bool CFakeRtspServer::WaitForKeepAlives(size_t count, int timeoutMs)
{
    std::unique_lock<std::mutex> lock(mutex);
    return changed.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return keepAlives.size() >= count; });
}

// One thread serves every connection, one request at a time, as the dialect does.
void CFakeRtspServer::Run()
{
    for (;;) {
        {
            std::lock_guard<std::mutex> guard(mutex);
            if (stopping)
                return;
        }
        Accept();
        for (size_t i = 0; i < connections.size();) {
            if (Serve(connections[i])) {
                ++i;
                continue;
            }
            closesocket(connections[i].socket);
            std::lock_guard<std::mutex> guard(mutex);
            connections.erase(connections.begin() + static_cast<long>(i));
        }
    }
}

void CFakeRtspServer::Accept()
{
    if (WaitSocket(listener, SocketWait::Readable, kPollMs) != 1)
        return;
    SOCKET accepted = AcceptSocket(listener);
    if (!accepted)
        return;
    std::lock_guard<std::mutex> guard(mutex);
    connections.push_back(Connection{accepted, ""});
}

// Reads what has arrived and answers every complete request. False once the peer has gone.
bool CFakeRtspServer::Serve(Connection& connection)
{
    if (WaitSocket(connection.socket, SocketWait::Readable, 0) != 1)
        return true;
    char buffer[4096];
    int received = static_cast<int>(recv(connection.socket, buffer, sizeof buffer, 0));
    if (received <= 0)
        return false;
    connection.pending.append(buffer, static_cast<size_t>(received));
    for (std::string::size_type end = connection.pending.find(kEndOfHeaders); end != std::string::npos;
         end = connection.pending.find(kEndOfHeaders)) {
        std::string request = connection.pending.substr(0, end + 4);
        connection.pending.erase(0, end + 4);
        if (!Answer(connection, request))
            return false;
    }
    return true;
}

// False when the reply closes the connection.
bool CFakeRtspServer::Answer(Connection& connection, const std::string& request)
{
    FakeReply reply = ReplyTo(request);
    for (const std::string& piece : reply.pieces) {
        Pause(reply.delayMs);
        SendSocket(connection.socket, piece.data(), static_cast<int>(piece.size()));
    }
    return !reply.close;
}

FakeReply CFakeRtspServer::ReplyTo(const std::string& request)
{
    std::lock_guard<std::mutex> guard(mutex);
    bool keepAlive = request.compare(0, 9, "ANNOUNCE ") == 0;
    (keepAlive ? keepAlives : requests).push_back(request);
    changed.notify_all();
    FakeReply reply = FakeReply::Text(ReplyText("200 OK", RequestCSeq(request), {}));
    if (keepAlive) {
        if (keepAliveScripted)
            reply = keepAliveReply;
    } else if (!script.empty()) {
        reply = script.front();
        script.pop_front();
    }
    return reply;
}
