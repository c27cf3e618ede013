#include "banner/PictureWin32.h"

namespace banner {

Picture LoadPictureBytes(const void* bytes, std::size_t size) {
    // The loader reads from a stream: a movable block of our own that the
    // stream frees when it goes.
    if (!bytes || size == 0 || size > 0x7FFFFFFF) return Picture();
    win32::Global block(GlobalAlloc(GMEM_MOVEABLE, size));
    if (!block) return Picture();
    void* copy = GlobalLock(block.get());
    if (!copy) return Picture();
    CopyMemory(copy, bytes, size);
    GlobalUnlock(block.get());

    IStream* raw = nullptr;
    if (FAILED(CreateStreamOnHGlobal(block.get(), TRUE, &raw)) || !raw) return Picture();
    block.release();  // the stream frees it now
    win32::ComRef<IStream> stream(raw);
    IPicture* picture = nullptr;
    const HRESULT hr = OleLoadPicture(stream.get(), static_cast<LONG>(size), FALSE, IID_IPicture,
                                      reinterpret_cast<void**>(&picture));
    if (FAILED(hr) || !picture) return Picture();
    return Picture(picture);
}

SIZE PictureSize(const Picture& picture, HDC dc) {
    SIZE size = {0, 0};
    if (!picture) return size;
    OLE_XSIZE_HIMETRIC width = 0;
    OLE_YSIZE_HIMETRIC height = 0;
    picture->get_Width(&width);
    picture->get_Height(&height);
    // HIMETRIC is hundredths of a millimetre: 2540 to the inch.
    size.cx = MulDiv(width, GetDeviceCaps(dc, LOGPIXELSX), 2540);
    size.cy = MulDiv(height, GetDeviceCaps(dc, LOGPIXELSY), 2540);
    return size;
}

void RenderPicture(const Picture& picture, HDC dc, const RECT& target) {
    if (!picture) return;
    OLE_XSIZE_HIMETRIC width = 0;
    OLE_YSIZE_HIMETRIC height = 0;
    picture->get_Width(&width);
    picture->get_Height(&height);
    // The source rectangle runs bottom-up in HIMETRIC.
    picture->Render(dc, target.left, target.top, target.right - target.left,
                    target.bottom - target.top, 0, height, width, -height, nullptr);
}

}  // namespace banner
