// Where the square image goes in an area (a monitor, or the preview window):
// enlarged by the largest whole factor that fits, so every image pixel becomes
// a crisp block, and centred; shrunk to fit where even factor 1 does not.
#pragma once

struct Placement {
    int left = 0;
    int top = 0;
    int side = 0;    // the image's side on screen
    int factor = 0;  // whole enlargement, 0 when the image is shrunk
};

// For an area of `width` x `height` and an image of side `image_side`;
// coordinates relative to the area's top-left corner. An empty area or
// image gives side 0.
Placement place_image(int width, int height, int image_side);
