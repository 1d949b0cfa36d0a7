#include "RtpRecording.h"

#include <fstream>
#include <iterator>

namespace {
const size_t kLengthBytes = 2;
} // namespace

bool CRtpRecording::Load(const std::string& path, std::string& error)
{
    std::ifstream file(path, std::ios::binary);
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (!file.good() && !file.eof()) {
        error = "cannot read " + path;
        return false;
    }
    if (!Parse(bytes, error)) {
        error = path + ": " + error;
        return false;
    }
    return true;
}

bool CRtpRecording::Parse(const std::vector<uint8_t>& bytes, std::string& error)
{
    frames.clear();
    Frame frame;
    size_t offset = 0;
    while (offset < bytes.size()) {
        size_t length = bytes.size() - offset < kLengthBytes ? 0 : size_t(bytes[offset]) << 8 | bytes[offset + 1];
        offset += kLengthBytes;
        if (length < CRtpPacketizer::kHeaderSize || length > bytes.size() - offset ||
            (bytes[offset] & 0xc0) != CRtpPacketizer::kVersion2) {
            error = "not a recording of RTP packets (at byte " + std::to_string(offset - kLengthBytes) + ")";
            return false;
        }
        frame.emplace_back(bytes.begin() + offset, bytes.begin() + offset + length);
        offset += length;
        if (frame.back()[1] & CRtpPacketizer::kMarker) {
            frames.push_back(std::move(frame));
            frame.clear();
        }
    }
    if (frames.empty())
        error = "no whole frame";
    return !frames.empty();
}
