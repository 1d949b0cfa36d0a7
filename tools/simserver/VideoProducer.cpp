#include "VideoProducer.h"

#include "DigitFont.h"
#include "H264Encoder.h"
#include "RtpPacketizer.h"
#include "TestPicture.h"

#include <algorithm>
#include <cstdio>
#include <ctime>

namespace {

// The stream second fills about a third of the picture's height.
const int kSecondLines = 3;
const int kClockScale = 3;
const int kMargin = 8;

// Local wall-clock time of day with hundredths: "18:57:36.12".
std::string ClockText()
{
    auto now = std::chrono::system_clock::now();
    std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    auto hundredths = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() / 10 % 100;
    std::tm local{};
    localtime_r(&seconds, &local);
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d.%02d", local.tm_hour, local.tm_min, local.tm_sec,
                  static_cast<int>(hundredths));
    return text;
}

} // namespace

CVideoProducer::CVideoProducer(const StreamFormat& format, uint32_t seed)
    : format(format), timestampBase(seed * 2654435761u),
      packetizer(new CRtpPacketizer(seed, static_cast<uint16_t>(seed >> 7)))
{
}

CVideoProducer::~CVideoProducer() = default;

bool CVideoProducer::Open(std::string& error)
{
    picture.reset(new CTestPicture(format.width, format.height));
    encoder.reset(new CH264Encoder);
    return encoder->Open(format.width, format.height, format.fps, error);
}

// A restart begins with a key frame, so that the client can decode from there.
bool CVideoProducer::Produce(const FrameOrder& order, CMediaChannel& channel)
{
    picture->Render(double(order.index) / format.fps, order.view);
    DrawOverlay(order.index);
    order.params.Apply(picture->Image());
    std::vector<uint8_t> bytes;
    if (!encoder->Encode(picture->Image(), order.restart, bytes))
        return false;
    // The timestamp follows the stream's own time, so a seek shows as a jump to its second.
    uint32_t timestamp = timestampBase + static_cast<uint32_t>(order.index * StreamFormat::kClockRate / format.fps);
    for (const RtpPacket& packet : packetizer->Packetize(SplitAnnexB(bytes.data(), bytes.size()), timestamp))
        if (!channel.Send(packet))
            return false;
    return true;
}

// The live stream shows the time of day; a recorded one its stream second, big.
void CVideoProducer::DrawOverlay(int64_t index)
{
    YuvImage& image = picture->Image();
    if (format.durationSeconds == 0) {
        CDigitFont::Draw(image, kMargin, kMargin, ClockText(), kClockScale);
        return;
    }
    std::string second = std::to_string(index / format.fps);
    int scale = std::max(1, format.height / kSecondLines / CDigitFont::BoxHeight(1));
    CDigitFont::Draw(image, (format.width - CDigitFont::BoxWidth(second, scale)) / 2,
                     (format.height - CDigitFont::BoxHeight(scale)) / 2, second, scale);
}
