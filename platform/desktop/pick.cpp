// Picking on a desktop: OpenGL 1.1's selection mode is there.
#include "platform/platform.h"

bool hasSelectionMode() {
    return true;
}
