#include "JpegWriter.h"

// Built without libjpeg: no JPEG is ever written.
bool CJpegWriter::Write(const CYv12RgbReader&, const char*)
{
    return false;
}
