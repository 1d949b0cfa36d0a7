#pragma once

#include "TestEncoder.h"

#include <string>

// A YV12 picture whose top half is white and bottom half pure red (BT.601 video range), which
// converts to RGB exactly.
Bytes WhiteOverRed(int width, int height);
// A file path of the test's own in the temporary folder.
std::string TempPath(const std::string& name);
Bytes ReadFile(const std::string& path);
bool FileExists(const std::string& path);
