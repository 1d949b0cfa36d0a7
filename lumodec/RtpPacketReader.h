#pragma once

#include <cstdint>

// Cuts the blocks handed to the decoder into RTP packets: a block is one packet as over UDP, or,
// framed as over TCP (RFC 4571), a piece of a byte stream in which every packet follows its
// 2-byte big-endian length and which may split or join packets anywhere.
//
// A framed stream loses a piece whenever the decoder had no room for a block, and the length
// read after the gap is then any two bytes. So a framed packet is handed out only when it looks
// like one of the stream's: a length the sender could have sent, an RTP version 2 header, the
// stream's SSRC and payload type once they are known, and, as far as the input reaches, the same
// again right behind it. Where that fails the reader moves on one byte at a time until it holds,
// which is where packets start again; the depacketizer sees the gap in the sequence numbers.
class CRtpPacketReader {
public:
    // Largest framed packet taken: the senders of these streams packetise for an Ethernet MTU
    // over TCP as over UDP, and a longer length means the boundaries were lost.
    static constexpr int kMaxPacket = 1500;
    static constexpr int kLengthSize = 2;

    explicit CRtpPacketReader(bool framed) : framed(framed) {}

    // The next block to read; it must stay valid until Next has said false.
    void Attach(const unsigned char* data, int length);
    // The next whole packet, valid until the next call; false when the block is used up.
    bool Next(const unsigned char** packet, int* length);
    // Forgets the input kept from earlier blocks and the stream's identity: the next block may
    // start anywhere in the stream, and a new position in a recording may bring a new SSRC.
    void Reset();

private:
    // What every packet of one stream repeats.
    struct StreamId {
        uint32_t ssrc;
        unsigned char payloadType;
    };

    bool NextFramed(const unsigned char** packet, int* length);
    bool Plausible(int offset, const StreamId* id) const;
    int Held() const { return end - start; }
    int Available() const { return Held() + left; }
    unsigned char At(int offset) const;
    int LengthAt(int offset) const;
    StreamId IdAt(int offset) const;
    const unsigned char* Contiguous(int count);
    void Append(int count);
    void Drop(int count);

    bool framed;
    const unsigned char* block = nullptr;
    int left = 0;
    // Framed input kept from earlier blocks, read before the block: window[start, end). It holds
    // at most one frame, the one that is not yet whole or that the block's end cut in two.
    unsigned char window[kLengthSize + kMaxPacket];
    int start = 0;
    int end = 0;
    bool known = false;
    StreamId stream{};
};
