// streamclient-blast: blaster packets at a set rate to a receiver on 127.0.0.1, as datagrams or
// framed on one TCP connection it accepts, for the physical-limit baselines of the receive
// path. Says on stderr when it is ready; prints what it sent as one JSON line on stdout when
// the time is up, the TCP peer has gone, or SIGINT/SIGTERM came.
#include "BlasterOptions.h"
#include "MediaChannel.h"
#include "PacedSender.h"
#include "StopSignal.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <thread>

namespace {

using Clock = CPacedSender::Clock;

// A signal is seen within this even while nothing is due.
const std::chrono::milliseconds kLongestSleep(100);
const int kAcceptSliceMs = 100;
// One stream: any value does.
const uint32_t kSsrc = 0x626c7374;

// UDP: ready at once. TCP: listening; the connection is taken by WaitForPeer.
bool OpenChannel(const BlasterOptions& options, CMediaChannel& channel)
{
    unsigned short port = static_cast<unsigned short>(options.port);
    if (options.tcp ? !channel.OpenTcp(port) : !channel.OpenUdp(htonl(INADDR_LOOPBACK), port))
        return false;
    if (options.tcp)
        std::fprintf(stderr, "streamclient-blast ready: tcp listening on 127.0.0.1:%u\n", channel.ServerPort());
    else
        std::fprintf(stderr, "streamclient-blast ready: udp to 127.0.0.1:%u\n", port);
    return true;
}

// False when a signal came first.
bool WaitForPeer(CMediaChannel& channel)
{
    while (!StopSignalled())
        if (channel.AcceptClient(kAcceptSliceMs))
            return true;
    return false;
}

// Sends until the time is up (seconds 0: never), a signal comes or the channel fails; the
// seconds it took.
double Blast(CPacedSender& sender, CMediaChannel& channel, int seconds)
{
    const Clock::time_point start = Clock::now();
    const Clock::time_point end = start + std::chrono::seconds(seconds);
    sender.Restart(start);
    for (Clock::time_point now = start; !StopSignalled() && (seconds == 0 || now < end); now = Clock::now()) {
        if (!sender.SendDue(channel, now))
            break;
        Clock::duration wait = std::min<Clock::duration>(sender.WakeInterval(), kLongestSleep);
        if (wait > Clock::duration::zero())
            std::this_thread::sleep_for(wait);
    }
    return std::chrono::duration<double>(Clock::now() - start).count();
}

} // namespace

int main(int argc, char** argv)
{
    BlasterOptions options;
    std::string error;
    if (!options.Parse(std::vector<std::string>(argv + 1, argv + argc), error)) {
        std::fprintf(stderr, "streamclient-blast: %s\n%s", error.c_str(), BlasterOptions::Usage());
        return 2;
    }
    CatchStopSignals();
    CMediaChannel channel(0, kSsrc);
    if (!OpenChannel(options, channel)) {
        std::fprintf(stderr, "streamclient-blast: cannot open port %d on 127.0.0.1\n", options.port);
        return 1;
    }
    CPacedSender sender(options.rate, options.size, kSsrc);
    double seconds = !options.tcp || WaitForPeer(channel) ? Blast(sender, channel, options.seconds) : 0;
    std::printf("{\"sent_packets\":%llu,\"sent_bytes\":%llu,\"seconds\":%.3f}\n",
                static_cast<unsigned long long>(sender.SentPackets()),
                static_cast<unsigned long long>(sender.SentBytes()), seconds);
    return 0;
}
