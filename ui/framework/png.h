#pragma once
// PNG pictures among the program's resources (type PNG), decoded with the
// Windows Imaging Component into 32-bit premultiplied BGRA bitmaps ready
// for AlphaBlend. COM must be initialised.
#include "platform/handles.h"

namespace skorvel {

GdiObject LoadPngResource(const wchar_t* name, int& width, int& height);

} // namespace skorvel
