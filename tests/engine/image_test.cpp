// The image buffer: its bitmap header, a fresh black image in the drawing
// context, and what creation failures and releases leave behind.
#include <gtest/gtest.h>

#include <cstring>

#include "engine/drawing.h"
#include "engine/global_memory.h"
#include "engine/image.h"
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

TEST_F(ImageTest, ANewImageIsBlackAndSelectedIntoTheDrawingContext) {
    set_image_geometry(256);
    ASSERT_TRUE(create_image(256, 256));
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

TEST_F(ImageTest, EachCreationFailureLeavesNoImageNoPaletteAndNoMemory) {
    struct Case {
        AllocationPurpose purpose;
        const char* text;  // nullptr: no message
    };
    const Case cases[] = {
        {ALLOC_IMAGE_HEADER, nullptr}, {ALLOC_BITMAP, NO_BITMAP_TEXT}, {ALLOC_BITMAP_BITS, NO_BITS_TEXT}};
    for (const Case& c : cases) {
        // An earlier image and palette are released by the attempt.
        set_allocation_gate(nullptr);
        set_image_geometry(256);
        ASSERT_TRUE(create_image(256, 256));
        ASSERT_EQ(build_palette(), PALETTE_SIZE);
        recorded_messages.clear();

        failing_purpose = c.purpose;
        set_allocation_gate(fail_chosen);
        EXPECT_FALSE(create_image(256, 256));
        EXPECT_TRUE(no_image());
        EXPECT_EQ(blocks_in_use(), 0);
        EXPECT_EQ(image_buffer.drawing_context->bitmap, &image_buffer.drawing_context->placeholder);
        if (c.text) {
            ASSERT_EQ(recorded_messages.size(), 1u);
            EXPECT_EQ(recorded_messages[0].text, c.text);
            EXPECT_EQ(recorded_messages[0].caption, "CreateBitmap()...");
        } else {
            EXPECT_TRUE(recorded_messages.empty());
        }
        // The user can try again.
        set_allocation_gate(nullptr);
        EXPECT_TRUE(create_image(256, 256));
    }
}

TEST_F(ImageTest, ReleasingWithoutAnImageStillReleasesThePalette) {
    ASSERT_EQ(build_palette(), PALETTE_SIZE);
    release_image();
    EXPECT_TRUE(no_image());
    EXPECT_EQ(blocks_in_use(), 0);
}

TEST_F(ImageTest, ABigImageAfterASmallOneLeavesNoTraceOfIt) {
    set_image_geometry(256);
    ASSERT_TRUE(create_image(256, 256));
    ASSERT_EQ(build_palette(), PALETTE_SIZE);
    EXPECT_EQ(blocks_in_use(), 4);  // header, bitmap, pixels, palette

    set_image_geometry(512);
    ASSERT_TRUE(create_image(512, 512));
    EXPECT_EQ(blocks_in_use(), 3) << "old palette or image kept";
    EXPECT_EQ(palette, nullptr);
    EXPECT_EQ(image_buffer.image_bitmap->width, 512);
    EXPECT_EQ(image_buffer.previous_bitmap, &image_buffer.drawing_context->placeholder);
    for (std::uint32_t i = 0; i < 512 * 512; ++i) ASSERT_EQ(image_buffer.pixels[i], 0u);
}

TEST_F(ImageTest, ClosingTheContextReleasesImageAndPalette) {
    set_image_geometry(256);
    ASSERT_TRUE(create_image(256, 256));
    ASSERT_EQ(build_palette(), PALETTE_SIZE);
    close_drawing_context();
    EXPECT_EQ(image_buffer.drawing_context, nullptr);
    EXPECT_TRUE(no_image());
    EXPECT_EQ(blocks_in_use(), 0);
    close_drawing_context();  // a second close does nothing
}
