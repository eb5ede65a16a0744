// Built with the portable core's include paths alone: the seam is in reach.
#include "platform/platform.h"

int SeamProbe() { return static_cast<int>(sizeof(OSVERSIONINFOA)); }
