// Messages under allocation failure: every allocation of this test program passes through the
// replaced operator new below, which a test can make fail at the n-th allocation from now.
#include "rtspmsg/RtspParser.h"
#include "rtspmsg/RtspRequest.h"
#include "rtspmsg/RtspResponse.h"

#include <atomic>
#include <cstdlib>
#include <gtest/gtest.h>
#include <memory>
#include <new>
#include <string>

namespace {
// Allocations left before one fails; -1: none fails.
std::atomic<long> allocationsLeft{-1};

void* Allocate(size_t size)
{
    long left = allocationsLeft.load();
    while (left >= 0 && !allocationsLeft.compare_exchange_weak(left, left - 1)) {
    }
    return left == 0 ? nullptr : std::malloc(size > 0 ? size : 1);
}

void* AllocateOrThrow(size_t size)
{
    if (void* memory = Allocate(size))
        return memory;
    throw std::bad_alloc();
}

// Runs the work with its n-th allocation failing; whether that allocation was reached.
template <typename Work>
bool WithFailingAllocation(long n, Work work)
{
    allocationsLeft.store(n);
    work();
    return allocationsLeft.exchange(-1) < 0;
}

std::unique_ptr<CRtspResponse> ParseReply(const std::string& text)
{
    CRtspParser parser;
    int length = static_cast<int>(text.size());
    return std::unique_ptr<CRtspResponse>(dynamic_cast<CRtspResponse*>(parser.Parse(text.data(), length)));
}
} // namespace

void* operator new(size_t size) { return AllocateOrThrow(size); }
void* operator new[](size_t size) { return AllocateOrThrow(size); }
void* operator new(size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void* operator new[](size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete[](void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, size_t) noexcept { std::free(memory); }
void operator delete[](void* memory, size_t) noexcept { std::free(memory); }
// Called when a constructor throws after new (std::nothrow) gave its memory.
void operator delete(void* memory, const std::nothrow_t&) noexcept { std::free(memory); }
void operator delete[](void* memory, const std::nothrow_t&) noexcept { std::free(memory); }

// An item (a header, a value, a parameter) that cannot be made is left out; the message stands.
TEST(AllocationFailure, AnItemThatCannotBeMadeIsLeftOutOfTheReply)
{
    // Names and values too long for a string's own room, so that copying them allocates.
    const std::string reply = "RTSP/1.0 200 OK\r\nCSeq: 3\r\nSession: 1234567890123456789;timeout=60\r\n"
                              "Transport: RTP/AVP/UDP;unicast;client_port=10000-10001;server_port_of_the_server=6970\r\n"
                              "X-Header-Of-Some-Length: a-value-of-some-length\r\n"
                              "Range: npt=0.000-\r\nContent-Length: 4\r\n\r\nbody";
    std::unique_ptr<CRtspResponse> whole = ParseReply(reply);
    ASSERT_NE(nullptr, whole);
    // Only the allocations that make the message's frame (its lines, the message itself) may
    // lose it; from the first header on, a failure leaves out an item at most.
    bool framed = false;
    for (long n = 0;; ++n) {
        std::unique_ptr<CRtspResponse> message;
        bool reached = WithFailingAllocation(n, [&] { message = ParseReply(reply); });
        if (!reached)
            break;
        EXPECT_TRUE(message || !framed) << "allocation " << n << " lost the whole message";
        if (!message)
            continue;
        framed = true;
        EXPECT_EQ(whole->status, message->status) << "allocation " << n;
        EXPECT_LE(message->headers.size(), whole->headers.size()) << "allocation " << n;
    }
}

TEST(AllocationFailure, AddingAHeaderNeverThrows)
{
    for (long n = 0;; ++n) {
        CRtspRequest request;
        bool reached = false;
        EXPECT_NO_THROW(reached = WithFailingAllocation(
                            n, [&] { request.AddHeader("X-Header-Of-Some-Length", "a-value-of-some-length"); }))
            << "allocation " << n;
        if (!reached)
            break;
    }
}
