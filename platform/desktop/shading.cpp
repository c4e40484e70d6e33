// Shading on the desktop: the GL's fixed-function lighting.
#include "platform/platform.h"

void chooseShading() {}
