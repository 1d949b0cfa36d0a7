// Parsing speed of typical server replies, and the heap allocations each parse makes.
#include "rtspmsg/RtspMessage.h"
#include "rtspmsg/RtspParser.h"
#include "rtspmsg/RtspTokenizer.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <memory>
#include <new>
#include <string>

namespace {

std::atomic<long> allocations{0};

const std::string kSetupReply = std::string("RTSP/1.0 200 OK\r\n"
                                            "CSeq: 1\r\n"
                                            "Session: 12345678;timeout=60\r\n"
                                            "Transport: RTP/AVP/UDP;unicast;client_port=10000-10001;server_port=6970-6971\r\n"
                                            "timestamp: 1234567\r\n"
                                            "Content-Length: 40\r\n"
                                            "\r\n") +
                                std::string(40, '\x01');

const std::string kPlayReply = "RTSP/1.0 200 OK\r\n"
                               "CSeq: 2\r\n"
                               "Session: 12345678\r\n"
                               "Range: npt=10.5-20\r\n"
                               "RTP-Info: url=rtsp://127.0.0.1/live/av_stream/track1;seq=1234;rtptime=567890\r\n"
                               "\r\n";

void ParseReply(benchmark::State& state, const std::string& reply)
{
    CRtspParser parser;
    long before = allocations.load();
    for (auto _ : state) {
        int length = static_cast<int>(reply.size());
        std::unique_ptr<CRtspMessage> message(parser.Parse(reply.data(), length));
        benchmark::DoNotOptimize(message.get());
        if (!message || length != static_cast<int>(reply.size()))
            state.SkipWithError("reply not parsed");
    }
    long made = allocations.load() - before;
    state.SetItemsProcessed(state.iterations());
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(reply.size()));
    state.counters["allocs/parse"] = benchmark::Counter(static_cast<double>(made), benchmark::Counter::kAvgIterations);
}

void BM_ParseSetupReply(benchmark::State& state)
{
    ParseReply(state, kSetupReply);
}

void BM_ParsePlayReply(benchmark::State& state)
{
    ParseReply(state, kPlayReply);
}

// The header block cut into lines, each line into its name and ";=" parameters: the tokenizer's
// share of a parse.
void BM_TokenizeSetupReply(benchmark::State& state)
{
    long before = allocations.load();
    for (auto _ : state) {
        RtspInput input;
        input.Init(kSetupReply.data(), static_cast<int>(kSetupReply.size()));
        CRtspTokenizer lines(input);
        for (RtspToken line = lines.NextToken("\n"); line.length > 0; line = lines.NextToken("\n")) {
            RtspInput lineInput;
            lineInput.Init(line.text, line.length);
            CRtspTokenizer words(lineInput);
            for (RtspToken token = words.NextToken(":"); token.length > 0; token = words.NextToken(";="))
                benchmark::DoNotOptimize(token);
        }
    }
    long made = allocations.load() - before;
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(kSetupReply.size()));
    state.counters["allocs/parse"] = benchmark::Counter(static_cast<double>(made), benchmark::Counter::kAvgIterations);
}

} // namespace

BENCHMARK(BM_ParseSetupReply);
BENCHMARK(BM_ParsePlayReply);
BENCHMARK(BM_TokenizeSetupReply);

BENCHMARK_MAIN();

// Every heap allocation of the binary is counted.
void* operator new(std::size_t size)
{
    allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}

void* operator new[](std::size_t size)
{
    return operator new(size);
}

void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    allocations.fetch_add(1, std::memory_order_relaxed);
    return std::malloc(size ? size : 1);
}

void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept
{
    return operator new(size, tag);
}

void operator delete(void* p) noexcept
{
    std::free(p);
}

void operator delete[](void* p) noexcept
{
    std::free(p);
}

void operator delete(void* p, std::size_t) noexcept
{
    std::free(p);
}

void operator delete[](void* p, std::size_t) noexcept
{
    std::free(p);
}
