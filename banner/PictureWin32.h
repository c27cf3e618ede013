// Pictures through the OLE picture loader (IPicture), which reads GIF, JPEG
// and BMP on every Windows we run on. The loader needs COM on the calling
// thread: hold a win32::ComScope while pictures live.
#pragma once
#include <ole2.h>
#include <olectl.h>
#include <windows.h>

#include <cstddef>

#include "win32/Handles.h"

namespace banner {

using Picture = win32::ComRef<IPicture>;

// A picture decoded from bytes in memory; empty when they are no picture the
// loader knows.
Picture LoadPictureBytes(const void* bytes, std::size_t size);

// The picture's own size in pixels on `dc`.
SIZE PictureSize(const Picture& picture, HDC dc);
// Draws the picture into `target` (stretched to it), honouring a GIF's
// transparent colour.
void RenderPicture(const Picture& picture, HDC dc, const RECT& target);

}  // namespace banner
