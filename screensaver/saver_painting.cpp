#include "screensaver/saver_painting.h"

#include "engine/image.h"
#include "engine/placement.h"
#include "shell/platform_services.h"

namespace {

constexpr int MONITOR_CAPACITY = 16;

struct MonitorList {
    RECT rects[MONITOR_CAPACITY];
    int count = 0;
};

BOOL CALLBACK add_monitor(HMONITOR, HDC, LPRECT rect, LPARAM data) {
    auto* list = reinterpret_cast<MonitorList*>(data);
    if (list->count < MONITOR_CAPACITY) list->rects[list->count++] = *rect;
    return TRUE;
}

void fill_black(HDC device, int left, int top, int right, int bottom) {
    if (right <= left || bottom <= top) return;
    const RECT rect = {left, top, right, bottom};
    FillRect(device, &rect, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
}

// One area: the image in the middle, black around it. Only the border is
// filled, so the image itself never flickers through black.
void paint_area(HDC device, const RECT& area) {
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    const ImageHeader* header = image_buffer.image_header;
    const std::uint32_t* pixels = image_buffer.pixels;
    if (!header || !pixels) {
        fill_black(device, area.left, area.top, area.right, area.bottom);
        return;
    }
    // The header's own size, not the geometry: a paint never reads past the
    // pixels it describes.
    const int side = header->width;
    const Placement place = place_image(width, height, side);
    const int left = area.left + place.left;
    const int top = area.top + place.top;
    // Nearest neighbour: each image pixel becomes a sharp block.
    SetStretchBltMode(device, COLORONCOLOR);
    StretchDIBits(device, left, top, place.side, place.side, 0, 0, side, side, pixels,
                  reinterpret_cast<const BITMAPINFO*>(header), DIB_RGB_COLORS, SRCCOPY);
    fill_black(device, area.left, area.top, area.right, top);
    fill_black(device, area.left, top + place.side, area.right, area.bottom);
    fill_black(device, area.left, top, left, top + place.side);
    fill_black(device, left + place.side, top, area.right, top + place.side);
}

}  // namespace

void paint_saver_window(HWND window, bool per_monitor) {
    PAINTSTRUCT paint;
    HDC device = BeginPaint(window, &paint);
    MonitorList monitors;
    if (per_monitor) EnumDisplayMonitors(nullptr, nullptr, add_monitor, reinterpret_cast<LPARAM>(&monitors));
    if (monitors.count == 0) {
        RECT client;
        GetClientRect(window, &client);
        paint_area(device, client);
    } else {
        // Monitor rectangles are in screen coordinates; the window's client
        // area starts at the virtual screen's corner.
        POINT origin = {0, 0};
        ClientToScreen(window, &origin);
        for (int i = 0; i < monitors.count; ++i) {
            RECT area = monitors.rects[i];
            OffsetRect(&area, -origin.x, -origin.y);
            paint_area(device, area);
        }
    }
    EndPaint(window, &paint);
}

namespace {

void repaint_saver_window(void* context) {
    // With no window (gone, or not made yet) InvalidateRect would repaint
    // every window on the screen.
    HWND window = static_cast<HWND>(context);
    if (!window) return;
    InvalidateRect(window, nullptr, FALSE);
    UpdateWindow(window);
}

}  // namespace

PlatformServices saver_platform(HWND window) {
    PlatformServices services;
    services.context = window;
    services.repaint = repaint_saver_window;
    services.wait_for_worker = wait_servicing_messages;
    return services;
}
