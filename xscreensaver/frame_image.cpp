#include "xscreensaver/frame_image.h"

#include <X11/Xutil.h>
#include <sys/ipc.h>
#include <sys/shm.h>

#include <bit>
#include <cstdlib>
#include <cstring>

#include "engine/image.h"
#include "xscreensaver/x_errors.h"

namespace {

constexpr int HOST_BYTE_ORDER = std::endian::native == std::endian::little ? LSBFirst : MSBFirst;

void release_image(FrameImage& frame, const HackWindow& window) {
    if (!frame.image) return;
    if (frame.shared) {
        // The server finishes any put before it reads the detach.
        XShmDetach(window.display, &frame.segment);
        shmdt(frame.segment.shmaddr);
        frame.image->data = nullptr;
    }
    XDestroyImage(frame.image);
    frame.image = nullptr;
    frame.shared = false;
}

XImage* make_shared_image(FrameImage& frame, const HackWindow& window, int side) {
    XShmSegmentInfo& segment = frame.segment;
    XImage* image = XShmCreateImage(window.display, window.visual, static_cast<unsigned>(window.depth), ZPixmap,
                                    nullptr, &segment, static_cast<unsigned>(side), static_cast<unsigned>(side));
    if (!image) return nullptr;
    segment.shmid =
        shmget(IPC_PRIVATE, static_cast<std::size_t>(image->bytes_per_line) * image->height, IPC_CREAT | 0600);
    void* address = segment.shmid < 0 ? reinterpret_cast<void*>(-1) : shmat(segment.shmid, nullptr, 0);
    bool attached = false;
    if (address != reinterpret_cast<void*>(-1)) {
        segment.shmaddr = image->data = static_cast<char*>(address);
        segment.readOnly = False;
        // A server on another machine refuses the attach.
        begin_x_trap(window.display);
        XShmAttach(window.display, &segment);
        attached = !end_x_trap(window.display);
    }
    // Marked for removal at once: the segment goes when both sides have let
    // it go, however the hack ends.
    if (segment.shmid >= 0) shmctl(segment.shmid, IPC_RMID, nullptr);
    if (attached) return image;
    if (address != reinterpret_cast<void*>(-1)) shmdt(address);
    image->data = nullptr;
    XDestroyImage(image);
    return nullptr;
}

XImage* make_plain_image(const HackWindow& window, int side) {
    XImage* image = XCreateImage(window.display, window.visual, static_cast<unsigned>(window.depth), ZPixmap, 0,
                                 nullptr, static_cast<unsigned>(side), static_cast<unsigned>(side), 32, 0);
    if (!image) return nullptr;
    // Written in the host's order; Xlib turns the bytes round for a server
    // of the other order.
    image->byte_order = HOST_BYTE_ORDER;
    image->data = static_cast<char*>(std::malloc(static_cast<std::size_t>(image->bytes_per_line) * image->height));
    if (!image->data || !XInitImage(image)) {
        XDestroyImage(image);
        return nullptr;
    }
    return image;
}

// One 8-bit channel placed where the visual's mask wants it.
unsigned long channel_bits(std::uint32_t value, unsigned long mask) {
    if (!mask) return 0;
    const int shift = std::countr_zero(mask);
    const int width = std::popcount(mask);
    const unsigned long scaled = width >= 8 ? value << (width - 8) : value >> (8 - width);
    return (scaled << shift) & mask;
}

unsigned long visual_pixel(const XImage* image, std::uint32_t word, unsigned long opaque) {
    return channel_bits(red_of(word), image->red_mask) | channel_bits(green_of(word), image->green_mask) |
           channel_bits(blue_of(word), image->blue_mask) | opaque;
}

// A window of depth 32 (an ARGB visual, such as a compositing screen may
// give) takes the bits beside red, green and blue as alpha: 0 there would
// make the picture see-through.
unsigned long opaque_bits(const HackWindow& window) {
    if (window.depth != 32) return 0;
    const Visual* visual = window.visual;
    return 0xFFFFFFFFul & ~(visual->red_mask | visual->green_mask | visual->blue_mask);
}

}  // namespace

void begin_frames(FrameImage& frame, const HackWindow& window, bool allow_shared) {
    frame = FrameImage{};
    XGCValues values;
    frame.opaque = opaque_bits(window);
    values.foreground = frame.opaque;  // black in every true-colour visual
    values.graphics_exposures = False;
    frame.gc = XCreateGC(window.display, window.window, GCForeground | GCGraphicsExposures, &values);
    frame.may_share = allow_shared && XShmQueryExtension(window.display);
    if (frame.may_share) frame.completion_event = XShmGetEventBase(window.display) + ShmCompletion;
}

bool fit_frame(FrameImage& frame, const HackWindow& window, int image_side) {
    const Placement placement = place_image(window.width, window.height, image_side);
    const bool same = frame.image && frame.image_side == image_side && frame.placement.side == placement.side;
    frame.placement = placement;
    frame.image_side = image_side;
    if (same) return true;
    release_image(frame, window);
    if (placement.side == 0) return true;
    frame.image = frame.may_share ? make_shared_image(frame, window, placement.side) : nullptr;
    frame.shared = frame.image != nullptr;
    if (!frame.image) frame.image = make_plain_image(window, placement.side);
    if (!frame.image) return false;
    const XImage& image = *frame.image;
    frame.fast_words = image.bits_per_pixel == 32 && image.byte_order == HOST_BYTE_ORDER &&
                       image.red_mask == 0xFF0000 && image.green_mask == 0xFF00 && image.blue_mask == 0xFF;
    // Nearest neighbour: with a whole factor every image pixel becomes a
    // square block; shrunk, some rows and columns are left out.
    frame.source_of.resize(static_cast<std::size_t>(placement.side));
    for (int i = 0; i < placement.side; ++i)
        frame.source_of[static_cast<std::size_t>(i)] =
            static_cast<int>(static_cast<long long>(i) * image_side / placement.side);
    return true;
}

void paint_border(const FrameImage& frame, const HackWindow& window) {
    Display* display = window.display;
    const Placement& place = frame.image ? frame.placement : Placement{};
    const int right = place.left + place.side;
    const int bottom = place.top + place.side;
    const auto fill = [&](int x, int y, int width, int height) {
        if (width > 0 && height > 0)
            XFillRectangle(display, window.window, frame.gc, x, y, static_cast<unsigned>(width),
                           static_cast<unsigned>(height));
    };
    fill(0, 0, window.width, place.top);
    fill(0, bottom, window.width, window.height - bottom);
    fill(0, place.top, place.left, place.side);
    fill(right, place.top, window.width - right, place.side);
}

bool frame_ready(const FrameImage& frame) { return frame.puts_in_flight == 0; }

void note_completion(FrameImage& frame) {
    if (frame.puts_in_flight > 0) --frame.puts_in_flight;
}

void put_frame(FrameImage& frame, const HackWindow& window, const std::uint32_t* pixels) {
    XImage* image = frame.image;
    if (!image || !pixels) return;
    const int side = frame.placement.side;
    const int stride = image->bytes_per_line;
    for (int y = 0; y < side; ++y) {
        char* row = image->data + static_cast<std::ptrdiff_t>(y) * stride;
        const int source_row = frame.source_of[static_cast<std::size_t>(y)];
        if (y > 0 && source_row == frame.source_of[static_cast<std::size_t>(y - 1)]) {
            std::memcpy(row, row - stride, static_cast<std::size_t>(stride));
            continue;
        }
        const std::uint32_t* source = pixels + static_cast<std::ptrdiff_t>(source_row) * frame.image_side;
        if (frame.fast_words) {
            auto* out = reinterpret_cast<std::uint32_t*>(row);
            const auto opaque = static_cast<std::uint32_t>(frame.opaque);
            for (int x = 0; x < side; ++x)
                out[x] = (source[frame.source_of[static_cast<std::size_t>(x)]] & PIXEL_COLOUR_MASK) | opaque;
        } else {
            for (int x = 0; x < side; ++x)
                XPutPixel(image, x, y,
                          visual_pixel(image, source[frame.source_of[static_cast<std::size_t>(x)]], frame.opaque));
        }
    }
    const Placement& place = frame.placement;
    if (frame.shared) {
        XShmPutImage(window.display, window.window, frame.gc, image, 0, 0, place.left, place.top,
                     static_cast<unsigned>(side), static_cast<unsigned>(side), True);
        ++frame.puts_in_flight;
    } else {
        XPutImage(window.display, window.window, frame.gc, image, 0, 0, place.left, place.top,
                  static_cast<unsigned>(side), static_cast<unsigned>(side));
    }
}

void end_frames(FrameImage& frame, const HackWindow& window) {
    release_image(frame, window);
    if (frame.gc) XFreeGC(window.display, frame.gc);
    frame.gc = nullptr;
}
