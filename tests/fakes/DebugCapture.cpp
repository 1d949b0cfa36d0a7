#include "fakes/DebugCapture.h"

#include "platform/platform.h"

#include <mutex>

namespace {

std::mutex captureMutex;
std::vector<std::string> captured;

void Capture(const char* text)
{
    std::lock_guard<std::mutex> guard(captureMutex);
    captured.emplace_back(text);
}

} // namespace

CDebugCapture::CDebugCapture()
{
    Clear();
    SetDebugOutputHook(Capture);
}

CDebugCapture::~CDebugCapture()
{
    SetDebugOutputHook(nullptr);
}

std::vector<std::string> CDebugCapture::Lines() const
{
    std::lock_guard<std::mutex> guard(captureMutex);
    return captured;
}

void CDebugCapture::Clear()
{
    std::lock_guard<std::mutex> guard(captureMutex);
    captured.clear();
}
