#include "shell/painting.h"

#include "engine/image.h"
#include "engine/image_geometry.h"

namespace {

// The image header is byte for byte a BITMAPINFO with BI_BITFIELDS, so the
// pixels go to the window as they are. Its own width and height are used, not
// the geometry, so a paint can never read past the pixels it describes.
void copy_image(HDC device) {
    const ImageHeader& header = *image_buffer.image_header;
    const int width = header.width;
    const int height = header.height < 0 ? -header.height : header.height;
    SetDIBitsToDevice(device, 0, 0, width, height, 0, 0, 0, height, image_buffer.pixels,
                      reinterpret_cast<const BITMAPINFO*>(&header), DIB_RGB_COLORS);
}

}  // namespace

void paint_window(HWND window) {
    PAINTSTRUCT paint;
    HDC device = BeginPaint(window, &paint);
    if (image_buffer.pixels && image_buffer.image_header) {
        copy_image(device);
    } else {
        FillRect(device, &paint.rcPaint, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    }
    EndPaint(window, &paint);
}

void repaint_image_rect(HWND window) {
    const ImageRect& image = image_geometry.image_rect;
    const RECT rect = {image.left, image.top, image.right, image.bottom};
    InvalidateRect(window, &rect, FALSE);
    UpdateWindow(window);
}

void repaint_window(void* window) {
    // InvalidateRect with no window would repaint every window on the screen.
    if (!window) return;
    repaint_image_rect(static_cast<HWND>(window));
}
