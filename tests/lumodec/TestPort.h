#pragma once

#include "LumoStreamHeader.h"
#include "TestEncoder.h"

#include <cstdint>
#include <vector>

// A decoder port with a stream open on it, closed and freed at the end of the scope.
class CTestPort {
public:
    static constexpr int kSourceBufferSize = 1310720;

    // Mode: as Lumo_SetStreamOpenMode takes it (the stand-in opens a real-time stream by default).
    explicit CTestPort(uint32_t packaging = LumoStreamHeader::kPackagingDatagrams, int bufferSize = kSourceBufferSize,
                       int mode = 0);
    ~CTestPort();
    CTestPort(const CTestPort&) = delete;
    CTestPort& operator=(const CTestPort&) = delete;

    int Port() const { return port; }
    bool IsOpen() const { return open; }
    // Hands every block over, waiting while the queue is full; false when one waited in vain.
    bool Feed(const std::vector<Bytes>& blocks);

    static Bytes Header(uint32_t packaging);

private:
    int port = -1;
    bool open = false;
};
