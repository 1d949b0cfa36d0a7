#include "LoadReport.h"

#include "JsonWriter.h"
#include "MeasureWindow.h"

#include <initializer_list>

namespace {

const double kKib = 1024.0;
const double kMib = 1024.0 * 1024.0;

// Loss is known for packets that carry the sender's counter, and only once one has arrived.
bool LossKnown(bool countsLoss, const StreamFigures& figures)
{
    return countsLoss && figures.sent > 0;
}

double Percent(double part, double whole)
{
    return whole > 0 ? 100.0 * part / whole : 0.0;
}

void WriteDelivery(CJsonWriter& json, const StreamFigures& figures, bool lossKnown, double seconds)
{
    json.Integer("chunks", figures.chunks);
    json.Integer("bytes", figures.bytes);
    json.Number("chunks_per_s", seconds > 0 ? figures.chunks / seconds : 0.0);
    json.Number("bytes_per_s", seconds > 0 ? figures.bytes / seconds : 0.0);
    if (!lossKnown) {
        json.Integer("sent", std::nullopt);
        json.Integer("lost", std::nullopt);
        json.Number("loss_percent", std::nullopt);
        return;
    }
    long long lost = figures.sent - figures.delivered;
    json.Integer("sent", figures.sent);
    json.Integer("lost", lost);
    json.Number("loss_percent", Percent(static_cast<double>(lost), static_cast<double>(figures.sent)));
}

void WriteLatency(CJsonWriter& json, const char* key, const CLatencySamples& samples,
                  std::initializer_list<int> percentiles)
{
    json.BeginObject(key);
    json.Integer("count", static_cast<long long>(samples.Count()));
    for (int percent : percentiles)
        json.Number(("p" + std::to_string(percent)).c_str(), samples.Percentile(percent));
    json.Number("max", samples.Max());
    json.EndObject();
}

void WriteBeforeAfter(CJsonWriter& json, const char* key, int before, int after)
{
    json.BeginObject(key);
    json.Integer("before", before);
    json.Integer("after", after);
    json.EndObject();
}

std::string Shown(std::optional<double> value, const char* format = "%.2f")
{
    if (!value)
        return "-";
    char text[64];
    std::snprintf(text, sizeof text, format, *value);
    return text;
}

// Baselines make no calls: their rows are left out.
void WriteLatencyRow(FILE* out, const char* name, const CLatencySamples& samples)
{
    if (samples.Count() == 0)
        return;
    std::fprintf(out, "%-12s p50 %s  p90 %s  p99 %s  max %s  (%zu calls)\n", name,
                 Shown(samples.Percentile(50)).c_str(), Shown(samples.Percentile(90)).c_str(),
                 Shown(samples.Percentile(99)).c_str(), Shown(samples.Max()).c_str(), samples.Count());
}

} // namespace

void CLoadReport::SetWindow(const CMeasureWindow& window)
{
    seconds = window.Seconds();
    cpuSeconds = window.CpuSeconds();
    for (size_t i = 0; i < streams.size() && i < window.Figures().size(); ++i)
        streams[i].figures = window.Figures()[i];
}

StreamFigures CLoadReport::Total() const
{
    StreamFigures total;
    for (const StreamResult& stream : streams) {
        total.chunks += stream.figures.chunks;
        total.bytes += stream.figures.bytes;
        if (LossKnown(stream.countsLoss, stream.figures)) {
            total.sent += stream.figures.sent;
            total.delivered += stream.figures.delivered;
        }
    }
    return total;
}

// The growth from before the first player to all playing, shared among those playing.
std::optional<double> CLoadReport::RssPerPlayerKib() const
{
    if (!rssBeforeKib || !rssPlayingKib || streams.empty())
        return std::nullopt;
    return static_cast<double>(*rssPlayingKib - *rssBeforeKib) / static_cast<double>(streams.size());
}

std::string CLoadReport::ToJson() const
{
    CJsonWriter json;
    json.BeginObject();
    json.Text("mode", mode);
    json.Text("source", source);
    json.Text("transport", overUdp ? "udp" : "tcp");
    json.Boolean("window", withWindow);
    json.Integer("streams_asked", streamsAsked);
    json.Integer("streams_playing", static_cast<long long>(streams.size()));
    json.Text("error", error);
    json.BeginObject("failures");
    json.Integer("create", createFailures);
    json.Integer("setup", setupFailures);
    json.Integer("play", playFailures);
    json.Integer("stop", stopFailures);
    json.Integer("receive_thread_unknown", receiveThreadsUnknown);
    json.Integer("receive_thread_not_ended", receiveThreadsNotEnded);
    json.EndObject();
    WriteTotals(json);
    json.BeginArray("per_stream");
    for (const StreamResult& stream : streams)
        WriteStream(json, stream);
    json.EndArray();
    json.EndObject();
    return json.Result() + "\n";
}

void CLoadReport::WriteTotals(CJsonWriter& json) const
{
    json.BeginObject("totals");
    json.Number("seconds", seconds);
    StreamFigures total = Total();
    WriteDelivery(json, total, LossKnown(overUdp, total), seconds);
    json.Number("cpu_seconds", cpuSeconds);
    json.Number("cpu_percent_of_core", Percent(cpuSeconds, seconds));
    json.Integer("rss_before_kib", rssBeforeKib);
    json.Integer("rss_playing_kib", rssPlayingKib);
    json.Number("rss_per_player_kib", RssPerPlayerKib());
    json.Integer("peak_rss_kib", peakRssKib);
    WriteLatency(json, "setup_ms", setupMs, {50, 90, 99});
    WriteLatency(json, "stop_call_ms", stopCallMs, {50, 99});
    WriteLatency(json, "stop_to_freed_ms", stopToFreedMs, {50, 99});
    WriteBeforeAfter(json, "fds", fdsBefore, fdsAfter);
    WriteBeforeAfter(json, "threads", threadsBefore, threadsAfter);
    json.EndObject();
}

void CLoadReport::WriteStream(CJsonWriter& json, const StreamResult& stream) const
{
    json.BeginObject();
    json.Integer("player_id", stream.playerId);
    WriteDelivery(json, stream.figures, LossKnown(stream.countsLoss, stream.figures), seconds);
    json.Number("setup_ms", stream.setupMs);
    json.Number("stop_call_ms", stream.stopCallMs);
    json.Number("stop_to_freed_ms", stream.stopToFreedMs);
    json.EndObject();
}

void CLoadReport::WriteTable(FILE* out) const
{
    StreamFigures total = Total();
    std::fprintf(out, "%-12s %s %s%s, %d streams asked, %zu played, window %.2f s\n", mode.c_str(), source.c_str(),
                 overUdp ? "udp" : "tcp", withWindow ? " with window" : "", streamsAsked, streams.size(), seconds);
    if (!error.empty())
        std::fprintf(out, "%-12s %s\n", "error", error.c_str());
    std::fprintf(out, "%-12s %lld chunks, %.1f MiB; %.0f chunks/s, %.2f MiB/s\n", "delivered", total.chunks,
                 total.bytes / kMib, seconds > 0 ? total.chunks / seconds : 0.0,
                 seconds > 0 ? total.bytes / kMib / seconds : 0.0);
    if (LossKnown(overUdp, total))
        std::fprintf(out, "%-12s %lld of %lld sent (%.3f %%)\n", "lost", total.sent - total.delivered, total.sent,
                     Percent(static_cast<double>(total.sent - total.delivered), static_cast<double>(total.sent)));
    std::fprintf(out, "%-12s %.3f s = %.1f %% of a core\n", "cpu", cpuSeconds, Percent(cpuSeconds, seconds));
    std::fprintf(out, "%-12s %s KiB per player, peak %.1f MiB\n", "memory", Shown(RssPerPlayerKib(), "%.0f").c_str(),
                 peakRssKib / kKib);
    WriteLatencyRow(out, "setup ms", setupMs);
    WriteLatencyRow(out, "stop ms", stopCallMs);
    WriteLatencyRow(out, "freed ms", stopToFreedMs);
    std::fprintf(out, "%-12s fds %d -> %d, threads %d -> %d\n", "released", fdsBefore, fdsAfter, threadsBefore,
                 threadsAfter);
    std::fprintf(out, "%-12s create %d, setup %d, play %d, stop %d; receive thread unknown %d, not ended %d\n",
                 "failures", createFailures, setupFailures, playFailures, stopFailures, receiveThreadsUnknown,
                 receiveThreadsNotEnded);
}
