#pragma once

// Cuts the blocks handed to the decoder into RTP packets: a block is one packet as over UDP, or,
// framed as over TCP (RFC 4571), a piece of a byte stream in which every packet follows its
// 2-byte big-endian length and which may split or join packets anywhere.
class CRtpPacketReader {
public:
    // Largest packet a 16-bit length can announce.
    static constexpr int kMaxPacket = 65535;

    explicit CRtpPacketReader(bool framed) : framed(framed) {}

    // The next block to read; it must stay valid until Next has said false.
    void Attach(const unsigned char* data, int length);
    // The next whole packet, valid until the next call; false when the block is used up.
    bool Next(const unsigned char** packet, int* length);
    // Forgets a packet begun in an earlier block.
    void Reset();

private:
    bool NextFramed(const unsigned char** packet, int* length);
    void ReadLength();
    void Take(int count);

    bool framed;
    const unsigned char* block = nullptr;
    int left = 0;
    // Framed reading: the length bytes seen so far, the length, and the bytes of the packet.
    int lengthBytes = 0;
    int expected = 0;
    int got = 0;
    unsigned char partial[kMaxPacket];
};
