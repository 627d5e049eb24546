// A Linux build without the panel (the aarch64 tree): hosts show their own controls.
#include "clap_instance.h"

void destroyClapGui(ClapInstance&) {}

bool (*const requestGuiSize)(void*, int32_t, int32_t) = nullptr;
