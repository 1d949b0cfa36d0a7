#pragma once

#include "TestSimulator.h"
#include "streamclient.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

// The library with our decoder stand-in, started for each test, and the server simulator on
// loopback with players opened on it. Skipped where there is no simulator to play from.
class SimulatorFixture : public ::testing::Test {
protected:
    // Any non-null handle turns decoding on; this one names no window.
    static HWND const kAnyWindow;
    // The size of the pictures the simulator sends.
    static constexpr int kStreamWidth = 640;
    static constexpr int kStreamHeight = 360;

    void SetUp() override;
    void TearDown() override;

    // A player playing the path, over UDP (udp 1) or TCP.
    int Open(const std::string& path, int udp, HWND window = kAnyWindow);
    unsigned PlayedSeconds(int id);
    // The bytes of a snapshot file of the player's next frame, named after the test.
    std::vector<unsigned char> Snapshot(int id, const std::string& name, int format);

    CTestSimulator simulator;
};
