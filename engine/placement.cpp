#include "engine/placement.h"

Placement place_image(int width, int height, int image_side) {
    if (width <= 0 || height <= 0 || image_side <= 0) return {};
    const int shorter = width < height ? width : height;
    Placement placement;
    placement.factor = shorter / image_side;
    placement.side = placement.factor > 0 ? placement.factor * image_side : shorter;
    placement.left = (width - placement.side) / 2;
    placement.top = (height - placement.side) / 2;
    return placement;
}
