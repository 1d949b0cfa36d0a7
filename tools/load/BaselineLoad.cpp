#include "BaselineLoad.h"

#include "MeasureWindow.h"
#include "PlainReceiver.h"
#include "ProcessStats.h"

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
    report.fdsBefore = CProcessStats::OpenFdCount();
    report.threadsBefore = CProcessStats::ThreadCount();
    Receive(udp, report);
    report.fdsAfter = CProcessStats::OpenFdCount();
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
