#include "WindowPainter.h"

// Built without XCB or libswscale: there is no window to draw into.
struct CWindowPainter::Target {
};

CWindowPainter::CWindowPainter() = default;

CWindowPainter::~CWindowPainter() = default;

void CWindowPainter::Update(HWND, const PicturePlanes*, bool)
{
}
