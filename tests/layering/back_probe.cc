// Built with the portable core's include paths alone: a back's header must
// refuse to compile here.
#include WIRENOTE_BACK_HEADER

int BackProbe() { return 0; }
