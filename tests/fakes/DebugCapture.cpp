#include "fakes/DebugCapture.h"

#include "platform/platform.h"

#include <mutex>

namespace {

struct Captured {
    std::mutex mutex;
    std::vector<std::string> lines;
};

// Never destroyed: library threads may still write lines while the process exits.
Captured& State()
{
    static Captured* captured = new Captured;
    return *captured;
}

void Capture(const char* text)
{
    std::lock_guard<std::mutex> guard(State().mutex);
    State().lines.emplace_back(text);
}

} // namespace

CDebugCapture::CDebugCapture()
{
    Clear();
    SetDebugOutputHook(Capture);
}

CDebugCapture::~CDebugCapture() { SetDebugOutputHook(nullptr); }

std::vector<std::string> CDebugCapture::Lines() const
{
    std::lock_guard<std::mutex> guard(State().mutex);
    return State().lines;
}

void CDebugCapture::Clear()
{
    std::lock_guard<std::mutex> guard(State().mutex);
    State().lines.clear();
}
