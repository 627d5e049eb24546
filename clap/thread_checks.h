#pragma once
// Debug builds check that each entry point runs on the thread the format
// names for it, asking the host when it offers the thread-check extension; a
// call on the wrong thread stops the program there, where it is easy to see.
// Release builds check nothing.
#include <cassert>

#include "clap_instance.h"

inline void expectMainThread([[maybe_unused]] const clap_plugin_t* plugin) {
#if !defined(NDEBUG)
    const ClapInstance* p = instanceOf(plugin);
    assert(!p || !p->hostThreadCheck || p->hostThreadCheck->is_main_thread(p->host));
#endif
}

inline void expectAudioThread([[maybe_unused]] const clap_plugin_t* plugin) {
#if !defined(NDEBUG)
    const ClapInstance* p = instanceOf(plugin);
    assert(!p || !p->hostThreadCheck || p->hostThreadCheck->is_audio_thread(p->host));
#endif
}
