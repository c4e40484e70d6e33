// Picking in a page, where GL has no selection mode: one flat colour per block, read back.
#include "platform/platform.h"

#include "automation/automation.h"
#include "scene/scene.h"

int pickRegion(int x, int y, int *block) {
    int hits = colourPick(x, y, block);
    // The page shows whatever the callback leaves drawn: the pick colours must not stay.
    display();
    return hits;
}
