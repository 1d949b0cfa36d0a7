#include "BaselineLoad.h"

#include "MeasureWindow.h"
#include "PlainReceiver.h"
#include "ProcessStats.h"

namespace {

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
    {
        CPlainReceiver receiver(udp, options.plainPort);
        if (!receiver.Start(report.error))
            return;
        if (receiver.WaitForFirstChunk(kFirstChunkWaitSeconds)) {
            CMeasureWindow window({&receiver.Counter()});
            window.Measure(options.seconds);
            report.seconds = window.Seconds();
            report.cpuSeconds = window.CpuSeconds();
            StreamResult stream;
            stream.countsLoss = receiver.Counter().CountsLoss();
            stream.figures = window.Figures().front();
            report.streams.push_back(stream);
        } else {
            report.error = "nothing arrived within " + std::to_string(kFirstChunkWaitSeconds) + " s";
        }
    }
    report.fdsAfter = CProcessStats::OpenFdCount();
    report.threadsAfter = CProcessStats::ThreadCount();
    report.peakRssKib = CProcessStats::PeakRssKib();
}
