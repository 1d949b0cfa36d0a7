// streamclient.h: the host's interface to the client library.
//
// The library plays live and recorded video from network video servers over RTSP. A host:
//   1. calls InitStreamClientLib() once;
//   2. creates a player with StreamClient_CreatePlayer(), giving its callbacks, the window to
//      draw into (or none) and the media transport (UDP or TCP); the result is the player id;
//   3. opens an rtsp URL on it with StreamClient_OpenURL(): the stream is set up and the host's
//      callbacks learn the outcome before the call returns;
//   4. drives it: StreamClient_Play, _Pause, _Resume, _RandomPlay (seek), _ChangeRate, snapshots,
//      sound, picture parameters and camera commands;
//   5. ends it with StreamClient_Stop() (tells the server) or StreamClient_Destroy() (does not);
//      either frees the id for a later StreamClient_CreatePlayer().
//
// Every function with a player id works on ids 0..99 and returns -1 (false for the boolean
// ones) when the library is not initialised, the id is out of range or names no player, or an
// argument is refused; no refused call changes anything. Calls on one id are serialised; calls
// on different ids run in parallel. Every export has a twin under the prefix VAROS_ that
// behaves identically.
//
// Callbacks run on two kinds of thread:
//   - on the host's own thread, inside StreamClient_OpenURL: the stream header (data type 0),
//     OnTimestamp/message code 1 and OnSetupResult/message code 2;
//   - on library threads: media data (data type 1) on the stream's receive thread, and
//     OnDisconnect/message code 14 on the stream's keep-alive thread.
// Re-entry: while the library is inside a set-up, time or disconnect callback for a player,
// any export called from that callback, on that thread, for the same player id returns -1
// (false) at once. Calling it would run a second request inside the first, or destroy the
// player under its own stack. Calls for other player ids are allowed, but they wait for that
// player's calls in progress: calls from callbacks must not form a cycle (destroying player B
// from A's set-up callback while another thread destroys A from B's deadlocks both). The data
// callback runs on the stream's own thread and may call any export, StreamClient_Stop of its
// player included.
//
// Stopping: once StreamClient_Stop or StreamClient_Destroy has returned, no callback for that
// player begins. One already running may still run after: neither waits for a data callback,
// since a callback that waits on the thread calling Stop would deadlock, nor Destroy for
// OnDisconnect/code 14 (Stop does wait for that one: it needs the control connection, which the
// keep-alive holds meanwhile). Precisely, a callback begins when the library's thread decides
// to make it, a step that Stop and Destroy wait for; the host's function gets control a few
// instructions later, so a callback decided just before Stop may enter it just after Stop has
// returned. Count that one as already running.
//
// Unloading: once every player is stopped or destroyed and FiniStreamClientLib has returned,
// the library may be unloaded at once (FreeLibrary, dlclose). Its threads that are still ending
// keep it loaded until they are done; it goes with the last of them, and with it everything the
// old players held (threads, sockets, client ports). Loaded again before then, it is the same
// instance, still initialised.
#ifndef STREAMCLIENT_H
#define STREAMCLIENT_H

#ifdef _WIN32
// HWND as <windows.h> declares it (STRICT, its default), so that the host may include
// <windows.h> and <winsock2.h> before or after this header in any order.
struct HWND__;
typedef struct HWND__* HWND;
#define STREAMCLIENT_CALL __stdcall
#define STREAMCLIENT_EXPORT
#else
// An X window id, cast: the decoder draws into that window on the X server DISPLAY names. Any
// other non-null value still turns decoding (and snapshots) on, with nothing drawn.
typedef void* HWND;
#define STREAMCLIENT_CALL
#define STREAMCLIENT_EXPORT __attribute__((visibility("default")))
#endif

// Data types of StreamDataCallBack.
enum { STREAM_DATA_HEADER = 0, STREAM_DATA_MEDIA = 1 };

// Codes of StreamMessageCallBack.
enum {
    STREAM_MSG_TIMESTAMP = 1,    // param1: the server's stream time at set-up, -1 when it gave none
    STREAM_MSG_SETUP_RESULT = 2, // param1: 1 = stream set up, 0 = set-up failed
    STREAM_MSG_DISCONNECT = 14   // the server stopped answering keep-alives; the stream goes on
};

// Receives every chunk of the stream unchanged. type 0: the stream header, once per set-up;
// type 1: media (RTP as received: one datagram over UDP, one read of the byte stream over TCP).
// The data is valid only during the call. user is the value given to StreamClient_OpenURL.
typedef void(STREAMCLIENT_CALL* StreamDataCallBack)(int playerId, void* user, int dataType, const unsigned char* data,
                                                   int length);

// Receives the message codes above; param2 is always 0.
typedef void(STREAMCLIENT_CALL* StreamMessageCallBack)(int playerId, int code, int param1, int param2);

// The host's notification object. The library calls the first, second and fourteenth virtual
// functions; the ones in between are placeholders that keep OnDisconnect in its slot. Derive
// from it and override what you need. Keep the object alive until the player is stopped or
// destroyed; the library never deletes it.
class CStreamNotify {
public:
    virtual void OnTimestamp(int /*timestamp*/) {}   // as message code 1
    virtual void OnSetupResult(int /*ok*/) {}        // as message code 2
    virtual void Reserved3() {}
    virtual void Reserved4() {}
    virtual void Reserved5() {}
    virtual void Reserved6() {}
    virtual void Reserved7() {}
    virtual void Reserved8() {}
    virtual void Reserved9() {}
    virtual void Reserved10() {}
    virtual void Reserved11() {}
    virtual void Reserved12() {}
    virtual void Reserved13() {}
    virtual void OnDisconnect() {}                   // as message code 14

protected:
    // Not virtual: a virtual destructor would take a slot before OnDisconnect.
    ~CStreamNotify() = default;
};

extern "C" {

// Starts the socket library and sets up the 100 player slots. 0 on success and on every later
// call; -1 when the socket library cannot be started (the call may be repeated).
STREAMCLIENT_EXPORT int STREAMCLIENT_CALL InitStreamClientLib();
// Returns 0 and releases nothing: stop or destroy your players first. The library may then be
// unloaded at once (see Unloading above).
STREAMCLIENT_EXPORT int STREAMCLIENT_CALL FiniStreamClientLib();

// Creates a player. notify or messageCallBack must be given (either or both). window may be
// null: the stream is then delivered to dataCallBack but not decoded or shown. udp nonzero:
// media as RTP over UDP; 0: RTP over a TCP connection. Result: the player id (0..99), or -1
// when all 100 are in use or the library is not initialised.
STREAMCLIENT_EXPORT int STREAMCLIENT_CALL StreamClient_CreatePlayer(CStreamNotify* notify, HWND window,
                                                                    StreamDataCallBack dataCallBack,
                                                                    StreamMessageCallBack messageCallBack, int udp);

// Connects to rtsp://a.b.c.d[:port]/path (dotted IPv4 host, port 554 by default) and sets the
// stream up, waiting up to 4 s for the connection and 8 s per wait for the reply. The set-up
// outcome reaches the callbacks before the return. 1 on success, -1 on failure. The scheme
// must be "rtsp" in lower case; the path at most 1023 characters. A player opens one URL.
STREAMCLIENT_EXPORT int STREAMCLIENT_CALL StreamClient_OpenURL(int playerId, const char* url, void* user);
// Plays an opened stream from its start. 1 on success, -1 otherwise.
STREAMCLIENT_EXPORT int STREAMCLIENT_CALL StreamClient_Play(int playerId);
// Seeks a playing or paused stream to a second from its start. 1 on success, -1 otherwise.
STREAMCLIENT_EXPORT int STREAMCLIENT_CALL StreamClient_RandomPlay(int playerId, int seconds);
// Pauses a playing stream. 1 on success, -1 otherwise.
STREAMCLIENT_EXPORT int STREAMCLIENT_CALL StreamClient_Pause(int playerId);
// Resumes a paused stream. 1 on success, -1 otherwise.
STREAMCLIENT_EXPORT int STREAMCLIENT_CALL StreamClient_Resume(int playerId);
// Tears the stream down (TEARDOWN to the server) and destroys the player in every case.
// 0 on success, -1 when the player had no open stream.
STREAMCLIENT_EXPORT int STREAMCLIENT_CALL StreamClient_Stop(int playerId);
// Asks a playing stream for another rate (the RTSP scale: -8, -4, -2, 0, 2, 4, 8 are the steps
// the decoder follows). 0 on success, -1 otherwise.
STREAMCLIENT_EXPORT int STREAMCLIENT_CALL StreamClient_ChangeRate(int playerId, int rate);
// Ends the stream without telling the server and destroys the player, also an idle one.
// 0 when a player was destroyed, -1 otherwise.
STREAMCLIENT_EXPORT int STREAMCLIENT_CALL StreamClient_Destroy(int playerId);
// Reads the camera's picture parameters (live streams only, while playing). 0 on success; on
// failure nothing is written. No pointer may be null.
STREAMCLIENT_EXPORT int STREAMCLIENT_CALL StreamClient_GetVideoParams(int playerId, int* brightness, int* contrast,
                                                                      int* saturation, int* hue);
// Sets the camera's picture parameters, each 0..255 (live streams only, while playing).
STREAMCLIENT_EXPORT int STREAMCLIENT_CALL StreamClient_SetVideoParams(int playerId, int brightness, int contrast,
                                                                      int saturation, int hue);
// Sends a camera (pan/tilt/zoom) command with four parameters, unchanged, to the server (live
// streams only, while playing).
STREAMCLIENT_EXPORT int STREAMCLIENT_CALL StreamClient_PTZControl(int playerId, int command, int param1, int param2,
                                                                  int param3, int param4);
// Writes where the stream is, in whole seconds from its start (the unit of RandomPlay), for a
// playing stream with a window. 0 on success; nothing is written on failure.
STREAMCLIENT_EXPORT int STREAMCLIENT_CALL StreamClient_GetCurTime(int playerId, unsigned int* seconds);
// Sound volume, passed to the decoder unchanged.
STREAMCLIENT_EXPORT int STREAMCLIENT_CALL StreamClient_SetVolume(int playerId, int volume);
// Sound on: exclusive (low 8 bits nonzero) or shared with other players.
STREAMCLIENT_EXPORT int STREAMCLIENT_CALL StreamClient_OpenSound(int playerId, int exclusive);
STREAMCLIENT_EXPORT int STREAMCLIENT_CALL StreamClient_CloseSound(int playerId);
// Asks the decoder to drop B frames.
STREAMCLIENT_EXPORT int STREAMCLIENT_CALL StreamClient_ThrowBFrameNum(int playerId, int count);
// Writes the next frame shown to path (at most 1024 characters) as BMP (format 0) or JPEG (1);
// any other format completes without a file. Needs a window. Waits up to 20 s for the frame
// and returns 0 whether or not it came: look for the file. Two players whose decoder ports are
// equal modulo 100 share a snapshot slot, so do not snapshot them at the same time.
STREAMCLIENT_EXPORT int STREAMCLIENT_CALL StreamClient_GrabPic(int playerId, const char* path, int format);
// Moves the display to another window; null ends the display. -1 before a stream is set up,
// else 0 (a failure to reopen the decoder is only written to the debugger output).
STREAMCLIENT_EXPORT int STREAMCLIENT_CALL StreamClient_ResetWndHandle(int playerId, HWND window);
// Replaces the data callback (null switches delivery off). The new callback is kept even when
// the player has no stream yet (result -1) and used when one is opened.
STREAMCLIENT_EXPORT int STREAMCLIENT_CALL StreamClient_ResetDataCallBack(int playerId,
                                                                         StreamDataCallBack dataCallBack);
// Copies the stream header into buffer: its length, or -1 when there is none or it does not fit.
STREAMCLIENT_EXPORT int STREAMCLIENT_CALL StreamClient_GetHeader(int playerId, unsigned char* buffer, int size);
// Draws the last shown picture into the window again, in full: call it when your own painting
// covered it (from WM_PAINT, say), above all while the stream is paused. -1 when the player has
// no stream, else 0.
STREAMCLIENT_EXPORT int STREAMCLIENT_CALL StreamClient_RefreshPlay(int playerId);
// Zooms the camera into an area: four ints (left, top, right, bottom; a RECT will do), sent as
// camera command 71. false for a null area or when the player refuses.
STREAMCLIENT_EXPORT bool STREAMCLIENT_CALL StreamClient_PTZSelZoomIn(int playerId, const int* area);
// Writes the decoder port of the stream; false when there is none (the int is left alone).
STREAMCLIENT_EXPORT bool STREAMCLIENT_CALL StreamClient_GetPlayPort(int playerId, int* port);
STREAMCLIENT_EXPORT bool STREAMCLIENT_CALL StreamClient_SetDDrawDevice(int playerId, int device);
STREAMCLIENT_EXPORT bool STREAMCLIENT_CALL StreamClient_InitDDrawDevice(int playerId);
STREAMCLIENT_EXPORT void STREAMCLIENT_CALL StreamClient_ReleaseDDrawDevice(int playerId);

// The same functions under the prefix VAROS_.
STREAMCLIENT_EXPORT int STREAMCLIENT_CALL VAROS_CreatePlayer(CStreamNotify* notify, HWND window,
                                                             StreamDataCallBack dataCallBack,
                                                             StreamMessageCallBack messageCallBack, int udp);
STREAMCLIENT_EXPORT int STREAMCLIENT_CALL VAROS_OpenURL(int playerId, const char* url, void* user);
STREAMCLIENT_EXPORT int STREAMCLIENT_CALL VAROS_Play(int playerId);
STREAMCLIENT_EXPORT int STREAMCLIENT_CALL VAROS_RandomPlay(int playerId, int seconds);
STREAMCLIENT_EXPORT int STREAMCLIENT_CALL VAROS_Pause(int playerId);
STREAMCLIENT_EXPORT int STREAMCLIENT_CALL VAROS_Resume(int playerId);
STREAMCLIENT_EXPORT int STREAMCLIENT_CALL VAROS_Stop(int playerId);
STREAMCLIENT_EXPORT int STREAMCLIENT_CALL VAROS_ChangeRate(int playerId, int rate);
STREAMCLIENT_EXPORT int STREAMCLIENT_CALL VAROS_Destroy(int playerId);
STREAMCLIENT_EXPORT int STREAMCLIENT_CALL VAROS_GetVideoParams(int playerId, int* brightness, int* contrast,
                                                               int* saturation, int* hue);
STREAMCLIENT_EXPORT int STREAMCLIENT_CALL VAROS_SetVideoParams(int playerId, int brightness, int contrast,
                                                               int saturation, int hue);
STREAMCLIENT_EXPORT int STREAMCLIENT_CALL VAROS_PTZControl(int playerId, int command, int param1, int param2,
                                                           int param3, int param4);
STREAMCLIENT_EXPORT int STREAMCLIENT_CALL VAROS_GetCurTime(int playerId, unsigned int* seconds);
STREAMCLIENT_EXPORT int STREAMCLIENT_CALL VAROS_SetVolume(int playerId, int volume);
STREAMCLIENT_EXPORT int STREAMCLIENT_CALL VAROS_OpenSound(int playerId, int exclusive);
STREAMCLIENT_EXPORT int STREAMCLIENT_CALL VAROS_CloseSound(int playerId);
STREAMCLIENT_EXPORT int STREAMCLIENT_CALL VAROS_ThrowBFrameNum(int playerId, int count);
STREAMCLIENT_EXPORT int STREAMCLIENT_CALL VAROS_GrabPic(int playerId, const char* path, int format);
STREAMCLIENT_EXPORT int STREAMCLIENT_CALL VAROS_ResetWndHandle(int playerId, HWND window);
STREAMCLIENT_EXPORT int STREAMCLIENT_CALL VAROS_ResetDataCallBack(int playerId, StreamDataCallBack dataCallBack);
STREAMCLIENT_EXPORT int STREAMCLIENT_CALL VAROS_GetHeader(int playerId, unsigned char* buffer, int size);
STREAMCLIENT_EXPORT int STREAMCLIENT_CALL VAROS_RefreshPlay(int playerId);
STREAMCLIENT_EXPORT bool STREAMCLIENT_CALL VAROS_PTZSelZoomIn(int playerId, const int* area);
STREAMCLIENT_EXPORT bool STREAMCLIENT_CALL VAROS_GetPlayPort(int playerId, int* port);
STREAMCLIENT_EXPORT bool STREAMCLIENT_CALL VAROS_SetDDrawDevice(int playerId, int device);
STREAMCLIENT_EXPORT bool STREAMCLIENT_CALL VAROS_InitDDrawDevice(int playerId);
STREAMCLIENT_EXPORT void STREAMCLIENT_CALL VAROS_ReleaseDDrawDevice(int playerId);

} // extern "C"

#endif
