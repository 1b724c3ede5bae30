// The image buffer: its header, its geometry, a new black image in the
// drawing context, and what each failure to make one reports and leaves.
#include <gtest/gtest.h>

#include <cstring>

#include "engine/drawing.h"
#include "engine/global_memory.h"
#include "engine/image.h"
#include "engine/image_geometry.h"
#include "engine/palette.h"
#include "tests/engine/test_support.h"

namespace {

using ImageTest = EngineTest;

AllocationPurpose failing_purpose;
bool fail_chosen(AllocationPurpose purpose) { return purpose == failing_purpose; }

bool no_image() {
    return image_buffer.pixels == nullptr && image_buffer.image_bitmap == nullptr &&
           image_buffer.image_header == nullptr && image_buffer.previous_bitmap == nullptr && palette == nullptr;
}

}  // namespace

TEST_F(ImageTest, HeaderIsAFiftyTwoByteTopDownBitfieldsBitmapInfo) {
    ImageHeader header;
    fill_image_header(header, 256, 256);
    const unsigned char expected[52] = {40,   0,    0,    0,     // header size
                                        0x00, 0x01, 0,    0,     // width 256
                                        0x00, 0xFF, 0xFF, 0xFF,  // height -256: rows run top-down
                                        1,    0,                 // planes
                                        32,   0,                 // bits per pixel
                                        3,    0,    0,    0,     // BI_BITFIELDS
                                        0,    0,    0,    0,    0, 0, 0, 0, 0,    0,    0,    0,
                                        0,    0,    0,    0,    0, 0, 0, 0, 0x00, 0x00, 0xFF, 0x00,  // red mask
                                        0x00, 0xFF, 0x00, 0x00,                                      // green mask
                                        0xFF, 0x00, 0x00, 0x00};                                     // blue mask
    EXPECT_EQ(std::memcmp(&header, expected, sizeof expected), 0);
}

TEST_F(ImageTest, TheGeometryDescribesA512ImageWithNothingToShowUntilTheFirstStart) {
    const ImageGeometry fresh;
    EXPECT_EQ(fresh.width, 512u);
    EXPECT_EQ(fresh.height, 512u);
    EXPECT_EQ(fresh.pixel_count, 262144u);
    EXPECT_EQ(fresh.byte_size, 1048576u);
    EXPECT_EQ(fresh.image_rect.right, 0);
    EXPECT_EQ(fresh.image_rect.bottom, 0);

    set_image_geometry(256);
    EXPECT_EQ(image_geometry.width, 256u);
    EXPECT_EQ(image_geometry.height, 256u);
    EXPECT_EQ(image_geometry.pixel_count, 65536u);
    EXPECT_EQ(image_geometry.byte_size, 262144u);
    EXPECT_EQ(image_geometry.image_rect.left, 0);
    EXPECT_EQ(image_geometry.image_rect.top, 0);
    EXPECT_EQ(image_geometry.image_rect.right, 256);
    EXPECT_EQ(image_geometry.image_rect.bottom, 256);
}

TEST_F(ImageTest, ANewImageIsBlackAndSelectedIntoTheDrawingContext) {
    set_image_geometry(256);
    ASSERT_EQ(create_image(256, 256), IMAGE_MADE);
    ASSERT_NE(image_buffer.pixels, nullptr);
    for (std::uint32_t i = 0; i < 256 * 256; ++i) ASSERT_EQ(image_buffer.pixels[i], 0u) << i;
    EXPECT_EQ(image_buffer.previous_bitmap, &image_buffer.drawing_context->placeholder);
    EXPECT_EQ(image_buffer.image_header->width, 256);
    EXPECT_EQ(image_buffer.image_header->height, -256);

    // Drawing lands in the pixel words, row-major and top-down: (x, y) is
    // word y * width + x.
    DrawingContext* dc = image_buffer.drawing_context;
    select_object(dc, STOCK_WHITE_PEN);
    move_to(dc, 37, 201);
    line_to(dc, 38, 201);
    EXPECT_EQ(image_buffer.pixels[201 * 256 + 37], COLOUR_WHITE);
    image_buffer.pixels[202 * 256 + 36] = 0x123456;  // below-left of (37, 201)
    image_buffer.pixels[202 * 256 + 38] = 0x654321;  // below-right
    EXPECT_EQ(get_pixel(dc, 36, 202), 0x123456u);
    EXPECT_EQ(get_pixel(dc, 38, 202), 0x654321u);
}

TEST_F(ImageTest, EachCreationFailureSaysWhichStepFailedAndLeavesNoImageNoPaletteAndNoMemory) {
    struct Case {
        AllocationPurpose purpose;
        ImageOutcome outcome;
    };
    const Case cases[] = {
        {ALLOC_IMAGE_HEADER, IMAGE_NO_HEADER}, {ALLOC_BITMAP, IMAGE_NO_BITMAP}, {ALLOC_BITMAP_BITS, IMAGE_NO_BITS}};
    for (const Case& c : cases) {
        // An earlier image and palette are released by the attempt.
        set_allocation_gate(nullptr);
        set_image_geometry(256);
        ASSERT_EQ(create_image(256, 256), IMAGE_MADE);
        ASSERT_EQ(build_palette(), PALETTE_SIZE);

        failing_purpose = c.purpose;
        set_allocation_gate(fail_chosen);
        EXPECT_EQ(create_image(256, 256), c.outcome);
        EXPECT_TRUE(no_image());
        EXPECT_EQ(blocks_in_use(), 0);
        EXPECT_EQ(image_buffer.drawing_context->bitmap, &image_buffer.drawing_context->placeholder);
        // The user can try again.
        set_allocation_gate(nullptr);
        EXPECT_EQ(create_image(256, 256), IMAGE_MADE);
    }

    close_drawing_context();
    EXPECT_EQ(create_image(256, 256), IMAGE_NO_CONTEXT);
    EXPECT_TRUE(open_drawing_context(nullptr));
}

TEST_F(ImageTest, ReleasingWithoutAnImageStillReleasesThePalette) {
    ASSERT_EQ(build_palette(), PALETTE_SIZE);
    release_image();
    EXPECT_TRUE(no_image());
    EXPECT_EQ(blocks_in_use(), 0);
}

TEST_F(ImageTest, ABigImageAfterASmallOneLeavesNoTraceOfIt) {
    set_image_geometry(256);
    ASSERT_EQ(create_image(256, 256), IMAGE_MADE);
    ASSERT_EQ(build_palette(), PALETTE_SIZE);
    EXPECT_EQ(blocks_in_use(), 4);  // header, bitmap, pixels, palette

    set_image_geometry(512);
    ASSERT_EQ(create_image(512, 512), IMAGE_MADE);
    EXPECT_EQ(blocks_in_use(), 3) << "old palette or image kept";
    EXPECT_EQ(palette, nullptr);
    EXPECT_EQ(image_buffer.image_bitmap->width, 512);
    EXPECT_EQ(image_buffer.previous_bitmap, &image_buffer.drawing_context->placeholder);
    for (std::uint32_t i = 0; i < 512 * 512; ++i) ASSERT_EQ(image_buffer.pixels[i], 0u);
}

TEST_F(ImageTest, ClosingTheContextReleasesImageAndPalette) {
    set_image_geometry(256);
    ASSERT_EQ(create_image(256, 256), IMAGE_MADE);
    ASSERT_EQ(build_palette(), PALETTE_SIZE);
    close_drawing_context();
    EXPECT_EQ(image_buffer.drawing_context, nullptr);
    EXPECT_TRUE(no_image());
    EXPECT_EQ(blocks_in_use(), 0);
    close_drawing_context();  // a second close does nothing
}
