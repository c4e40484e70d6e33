// Picking in a page: WebGL has no selection mode.
#include "platform/platform.h"

bool hasSelectionMode() {
    return false;
}
