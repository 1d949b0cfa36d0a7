#pragma once

#include <string>
#include <vector>

// Captures the library's debug lines, exactly as written, for as long as it lives.
class CDebugCapture {
public:
    CDebugCapture();
    ~CDebugCapture();
    CDebugCapture(const CDebugCapture&) = delete;
    CDebugCapture& operator=(const CDebugCapture&) = delete;

    // Each text handed to the debug output, in order.
    std::vector<std::string> Lines() const;
    void Clear();
};
