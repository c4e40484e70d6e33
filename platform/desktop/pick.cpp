// Picking on a desktop: OpenGL selection.
#include "platform/platform.h"

#include "automation/automation.h"

int pickRegion(int x, int y, int *block) {
    return selectPick(x, y, block);
}
