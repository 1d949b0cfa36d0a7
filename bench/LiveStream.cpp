#include "LiveStream.h"

CLiveStream::CLiveStream(unsigned short serverPort) : control(serverPort)
{
    std::string url = "rtsp://127.0.0.1:" + std::to_string(serverPort) + "/live/av_stream";
    std::string ports = std::to_string(media.UdpPort()) + "-" + std::to_string(media.UdpPort() + 1);
    auto setup = control.Request("SETUP " + url + " RTSP/1.0\r\nCSeq: 1\r\nTransport: RTP/AVP/UDP;unicast;client_port=" +
                                 ports + "\r\nUser-agent: Varoplayer\r\n\r\n");
    std::string session;
    if (setup)
        setup->GetHeaderString("Session", session);
    control.Request("PLAY " + url + " RTSP/1.0\r\nCSeq: 2\r\nSession:" + session +
                    "\r\nRange: npt=0.0-\r\nUser-agent: Varoplayer\r\n\r\n");
}

void CLiveStream::Count(std::chrono::steady_clock::time_point until)
{
    media.Drain(0);
    ReceivedPacket packet;
    while (std::chrono::steady_clock::now() < until) {
        if (media.Next(packet, 50) && packet.marker)
            ++pictures;
    }
}
