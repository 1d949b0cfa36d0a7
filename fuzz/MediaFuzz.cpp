// Feeds the media a server sends to the decoder stand-in: the stream header, then RTP packets as
// datagrams or RFC 4571 framed over TCP, on through the depacketizer into the decoder (FFmpeg's,
// where the stand-in is built with it).
//
// Input: the 40-byte stream header, as the SETUP reply carries it, then blocks, each behind a
// 2-byte big-endian length (the last one may be cut short), as the client's receive thread hands
// them over: one datagram each when the header says packaging 0, pieces of the TCP byte stream
// cut anywhere when it says 1. An empty block, which the client never hands over, stands for a
// seek: the client resets the stream's source buffer, and the display thread its pipeline, so
// that the next block may start anywhere in the stream.
//
// The header and every block go through the exported functions, as the client calls them; a
// stream is never played, though. Playing would decode on the stream's display thread and show
// frames at the stream's own pace, far too slowly for a fuzzer and with a timing that differs
// from run to run. The blocks are handed instead to the pipeline that thread runs
// (CDecodePipeline: reader, depacketizer, decoder), one at a time, as the thread takes them.
#include "BlockQueue.h"
#include "DecodePipeline.h"
#include "LumoStreamHeader.h"
#include "decoder/VAROH264Renderer.h"
#include "decoder/lumodec.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace {

const int kBufferSize = CVAROH264Renderer::kSourceBufferSize;
const size_t kBlockLengthSize = 2;

void Check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

// Cuts the next block off the input at *next; false when no block length is left.
bool NextBlock(const uint8_t** next, const uint8_t* end, const uint8_t** block, int* length)
{
    if (static_cast<size_t>(end - *next) < kBlockLengthSize)
        return false;
    size_t wanted = static_cast<size_t>((*next)[0]) << 8 | (*next)[1];
    *block = *next + kBlockLengthSize;
    size_t taken = std::min(wanted, static_cast<size_t>(end - *block));
    *length = static_cast<int>(taken);
    *next = *block + taken;
    return true;
}

// What the display thread does with the queued blocks: each one read through as it is taken,
// every frame that comes out taken; the sanitizers judge.
void Decode(bool framed, const uint8_t* data, const uint8_t* end, int port)
{
    CDecodePipeline pipeline(framed, kBufferSize);
    Check(pipeline.Open());
    CBlockQueue queue(kBufferSize);
    const uint8_t* block = nullptr;
    int length = 0;
    while (NextBlock(&data, end, &block, &length)) {
        if (length == 0) {
            Check(Lumo_ResetSourceBuffer(port) == 1);
            pipeline.Reset();
            continue;
        }
        // The stream's queue keeps its copy until the stream is closed; the pipeline gets its own.
        if (!Lumo_InputData(port, block, length) || !queue.Push(block, length))
            continue;
        pipeline.Feed(queue.Pop());
        DecodedFrame frame;
        while (pipeline.NextFrame(&frame))
            ;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    int port = -1;
    Check(Lumo_GetPort(&port) == 1);
    int headerLength = static_cast<int>(std::min(size, static_cast<size_t>(LumoStreamHeader::kSize)));
    if (Lumo_OpenStream(port, data, headerLength, kBufferSize)) {
        LumoStreamHeader header;
        Check(header.Read(data, headerLength));
        Decode(header.packaging == LumoStreamHeader::kPackagingFramed, data + headerLength, data + size, port);
        Check(Lumo_CloseStream(port) == 1);
    }
    Check(Lumo_FreePort(port) == 1);
    return 0;
}
