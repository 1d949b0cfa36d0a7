#include "MediaSession.h"

#include "DigitFont.h"
#include "H264Encoder.h"
#include "RtpPacketizer.h"
#include "TestPicture.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <string>

namespace {

const int kAcceptSliceMs = 100;
// A session further behind than this gives up the lost time instead of racing to catch up.
const std::chrono::seconds kMaxLag(1);
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

CMediaSession::CMediaSession(const StreamFormat& format, std::unique_ptr<CMediaChannel> channel, uint32_t seed)
    : format(format), channel(std::move(channel)), timestampBase(seed * 2654435761u), created(Clock::now()),
      view(format.width, format.height)
{
    packetizer.reset(new CRtpPacketizer(seed, static_cast<uint16_t>(seed >> 7)));
}

CMediaSession::~CMediaSession()
{
    {
        std::lock_guard<std::mutex> guard(mutex);
        stopping = true;
    }
    wake.notify_all();
    if (thread.joinable())
        thread.join();
}

void CMediaSession::Start()
{
    thread = std::thread(&CMediaSession::Run, this);
}

void CMediaSession::PlayFrom(int startSecond)
{
    std::lock_guard<std::mutex> guard(mutex);
    Restart(IsLive() ? LiveFrameNow() : int64_t(startSecond) * format.fps);
}

void CMediaSession::Resume()
{
    std::lock_guard<std::mutex> guard(mutex);
    if (!playing && played && !AtEnd())
        Restart(IsLive() ? LiveFrameNow() : frameIndex);
}

// With the lock held.
void CMediaSession::Restart(int64_t index)
{
    frameIndex = index;
    playing = played = forceKey = true;
    ++generation;
    nextDue = Clock::now();
    wake.notify_all();
}

void CMediaSession::Pause()
{
    std::lock_guard<std::mutex> guard(mutex);
    playing = false;
    ++generation;
    wake.notify_all();
}

bool CMediaSession::HasPlayed() const
{
    std::lock_guard<std::mutex> guard(mutex);
    return played;
}

double CMediaSession::SpeedOf(int scale)
{
    if (scale >= 2)
        return scale;
    if (scale <= -2)
        return 1.0 / -scale;
    return 1;
}

void CMediaSession::SetScale(int scale)
{
    std::lock_guard<std::mutex> guard(mutex);
    speed = IsLive() ? 1 : SpeedOf(scale);
}

PictureParams CMediaSession::GetPictureParams() const
{
    std::lock_guard<std::mutex> guard(mutex);
    return params;
}

void CMediaSession::SetPictureParams(const PictureParams& newParams)
{
    std::lock_guard<std::mutex> guard(mutex);
    params = newParams;
}

bool CMediaSession::Command(unsigned long command, unsigned long param1, unsigned long param2, unsigned long param3,
                            unsigned long param4)
{
    std::lock_guard<std::mutex> guard(mutex);
    return view.Apply(command, param1, param2, param3, param4);
}

// With the lock held: a recorded stream has sent its last picture.
bool CMediaSession::AtEnd() const
{
    return !IsLive() && frameIndex >= int64_t(format.durationSeconds) * format.fps;
}

int64_t CMediaSession::LiveFrameNow() const
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - created).count() * format.fps / 1000;
}

void CMediaSession::Run()
{
    if (!WaitForClient() || !OpenEncoder())
        return;
    std::unique_lock<std::mutex> lock(mutex);
    while (!stopping) {
        if (!playing) {
            wake.wait(lock);
            continue;
        }
        FrameOrder order = NextOrder();
        lock.unlock();
        bool sent = ProduceFrame(order);
        lock.lock();
        if (!sent)
            return;
        if (order.generation == generation)
            Advance();
        wake.wait_until(lock, nextDue, [&] { return stopping || generation != order.generation; });
    }
}

bool CMediaSession::WaitForClient()
{
    if (!channel->IsFramed())
        return true;
    for (;;) {
        {
            std::lock_guard<std::mutex> guard(mutex);
            if (stopping)
                return false;
        }
        if (channel->AcceptClient(kAcceptSliceMs))
            return true;
    }
}

bool CMediaSession::OpenEncoder()
{
    std::string error;
    picture.reset(new CTestPicture(format.width, format.height));
    encoder.reset(new CH264Encoder);
    if (encoder->Open(format.width, format.height, format.fps, error))
        return true;
    std::fprintf(stderr, "simserver: %s\n", error.c_str());
    return false;
}

// With the lock held.
CMediaSession::FrameOrder CMediaSession::NextOrder()
{
    FrameOrder order{frameIndex, forceKey, generation, params, view};
    forceKey = false;
    return order;
}

// With the lock held: the next picture's number and time; a recorded stream stops at its end.
void CMediaSession::Advance()
{
    ++frameIndex;
    if (AtEnd())
        playing = false;
    nextDue += std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(1.0 / (format.fps * speed)));
    if (Clock::now() - nextDue > kMaxLag)
        nextDue = Clock::now();
}

bool CMediaSession::ProduceFrame(const FrameOrder& order)
{
    picture->Render(double(order.index) / format.fps, order.view);
    DrawOverlay(order.index);
    order.params.Apply(picture->Image());
    std::vector<uint8_t> bytes;
    if (!encoder->Encode(picture->Image(), order.key, bytes))
        return false;
    // The timestamp follows the stream's own time, so a seek shows as a jump to its second.
    uint32_t timestamp = timestampBase + static_cast<uint32_t>(order.index * kClockRate / format.fps);
    for (const RtpPacket& packet : packetizer->Packetize(SplitAnnexB(bytes.data(), bytes.size()), timestamp))
        if (!channel->Send(packet))
            return false;
    return true;
}

// The live stream shows the time of day; a recorded one its stream second, big.
void CMediaSession::DrawOverlay(int64_t index)
{
    YuvImage& image = picture->Image();
    if (IsLive()) {
        CDigitFont::Draw(image, kMargin, kMargin, ClockText(), kClockScale);
        return;
    }
    std::string second = std::to_string(index / format.fps);
    int scale = std::max(1, format.height / kSecondLines / CDigitFont::BoxHeight(1));
    CDigitFont::Draw(image, (format.width - CDigitFont::BoxWidth(second, scale)) / 2,
                     (format.height - CDigitFont::BoxHeight(scale)) / 2, second, scale);
}
