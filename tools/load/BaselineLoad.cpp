#include "BaselineLoad.h"

#include "MeasureWindow.h"
#include "PlainReceiver.h"
#include "ProcessStats.h"
#include "platform/platform.h"

namespace {

// The sender is started by hand, after the tool.
const int kFirstChunkWaitSeconds = 30;

} // namespace

void CBaselineLoad::Run(CLoadReport& report)
{
    bool udp = options.mode == CLoadOptions::Mode::PlainUdp;
    report.mode = udp ? "plain-udp" : "plain-tcp";
    report.source = "127.0.0.1:" + std::to_string(options.plainPort);
    report.overUdp = udp;
    report.streamsAsked = 1;
    // Windows wants its socket library started before the first socket (elsewhere this does
    // nothing); started before the handles are counted, since it keeps some of its own.
    WSADATA socketLibrary;
    if (WSAStartup(MAKEWORD(2, 2), &socketLibrary) != 0) {
        report.error = "the socket library could not start";
        return;
    }
    report.fdsBefore = CProcessStats::OpenHandleCount();
    report.threadsBefore = CProcessStats::ThreadCount();
    Receive(udp, report);
    report.fdsAfter = CProcessStats::OpenHandleCount();
    report.threadsAfter = CProcessStats::ThreadCount();
    report.peakRssKib = CProcessStats::PeakRssKib();
}

// The receiver's socket and thread are gone on return.
void CBaselineLoad::Receive(bool udp, CLoadReport& report)
{
    CPlainReceiver receiver(udp, options.plainPort, options.receiveBuffer);
    if (!receiver.Start(report.error))
        return;
    CMeasureWindow window({&receiver.Counter()});
    if (!window.WaitForFirstChunks(kFirstChunkWaitSeconds)) {
        report.error = "nothing arrived within " + std::to_string(kFirstChunkWaitSeconds) + " s";
        return;
    }
    window.Measure(options.seconds);
    StreamResult stream;
    stream.countsLoss = receiver.Counter().CountsLoss();
    report.streams.push_back(stream);
    report.SetWindow(window);
}
