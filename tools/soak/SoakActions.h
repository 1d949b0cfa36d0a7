#pragma once

#include "ExportSet.h"

#include <atomic>
#include <mutex>
#include <random>
#include <string>

class CCallMonitor;
class CPlayerBook;
class CSoakServers;

// One call of each export with random arguments, watched by the monitor and checked against
// what the interface documents for it: the results it may give, what it may write, and -1
// (false) for an id out of range.
class CSoakActions {
public:
    // What one call may take by itself, from the waits the library documents.
    static constexpr int kConnectWaitMs = 4000; // the control connection, and the media one over TCP
    static constexpr int kSendWaitMs = 3000;
    static constexpr int kReplyWaitMs = 8000;
    static constexpr int kRequestMs = kSendWaitMs + kReplyWaitMs;
    // A stream request first waits for a keep-alive in flight on the same connection.
    static constexpr int kStreamRequestMs = 2 * kRequestMs;
    static constexpr int kOpenMs = kConnectWaitMs + kRequestMs + kConnectWaitMs;
    static constexpr int kGrabMs = 20000;
    // Calls that wait for nothing on the network: tables, the decoder, a display thread's end.
    static constexpr int kLocalMs = 1000;

    CSoakActions(CCallMonitor& monitor, const CSoakServers& servers, CPlayerBook& book, const std::string& grabDir,
                 StreamDataCallBack dataCallBack, StreamMessageCallBack messageCallBack);

    // Each returns the export's result. The id is the one called on, except for CreatePlayer
    // and Start, where the library picks it.
    int CreatePlayer(const ExportSet& e, int unused, std::mt19937& random);
    int OpenURL(const ExportSet& e, int id, std::mt19937& random);
    int Play(const ExportSet& e, int id, std::mt19937& random);
    int Pause(const ExportSet& e, int id, std::mt19937& random);
    int Resume(const ExportSet& e, int id, std::mt19937& random);
    int RandomPlay(const ExportSet& e, int id, std::mt19937& random);
    int ChangeRate(const ExportSet& e, int id, std::mt19937& random);
    int GetVideoParams(const ExportSet& e, int id, std::mt19937& random);
    int SetVideoParams(const ExportSet& e, int id, std::mt19937& random);
    int PTZControl(const ExportSet& e, int id, std::mt19937& random);
    int PTZSelZoomIn(const ExportSet& e, int id, std::mt19937& random);
    int GetCurTime(const ExportSet& e, int id, std::mt19937& random);
    int GrabPic(const ExportSet& e, int id, std::mt19937& random);
    int ResetWndHandle(const ExportSet& e, int id, std::mt19937& random);
    int ResetDataCallBack(const ExportSet& e, int id, std::mt19937& random);
    int GetHeader(const ExportSet& e, int id, std::mt19937& random);
    int GetPlayPort(const ExportSet& e, int id, std::mt19937& random);
    // Volume, sound on and off, B frames, refresh and the display device calls, one at random.
    int Decoder(const ExportSet& e, int id, std::mt19937& random);
    int Stop(const ExportSet& e, int id, std::mt19937& random);
    int Destroy(const ExportSet& e, int id, std::mt19937& random);
    // A player taken as far as playing: create, open, play.
    int Start(const ExportSet& e, int id, std::mt19937& random);
    // Players created until the library has no id left, then destroyed.
    int Exhaust(const ExportSet& e, int id, std::mt19937& random);

    // From inside a set-up, time or disconnect callback of the id: any export on that id must
    // refuse at once.
    void Reenter(const ExportSet& e, int id, std::mt19937& random);

private:
    // The results an export documents besides -1 (false) for an id out of range. Length: the
    // caller checks the others; Nothing: the export has no result.
    enum class Results { OneOrMinusOne, ZeroOrMinusOne, Boolean, Length, Nothing };

    template <typename Call>
    int Checked(const ExportSet& e, const char* name, int id, int worstMs, Results results, Call call);
    template <typename Call>
    int Ended(const ExportSet& e, const char* name, int id, int worstMs, Call call);
    // The player's decoder port, -1 when it has none.
    int PlayPortOf(const ExportSet& e, int id);
    int GrabInSlot(const ExportSet& e, int id, std::mt19937& random);
    std::string GrabPath(int format);
    void CheckFile(const ExportSet& e, int id, const std::string& path, int format);
    static bool InRange(int id) { return id >= 0 && id < 100; }

    CCallMonitor& monitor;
    const CSoakServers& servers;
    CPlayerBook& book;
    const std::string grabDir;
    const StreamDataCallBack dataCallBack;
    const StreamMessageCallBack messageCallBack;
    // Players whose decoder ports are equal modulo 100 must not snapshot at the same time.
    std::mutex snapshotSlots[100];
    std::atomic<long> grabs{0};
};
