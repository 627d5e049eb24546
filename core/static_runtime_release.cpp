// Linked into each Linux plug-in module, which carries its own copy of the
// C++ runtime: that copy's emergency exception pool (about 71 KiB, allocated
// when the module loads) is freed when the module is unloaded, so that a
// host that loads and unloads the module again and again loses nothing.
namespace __gnu_cxx {
void __freeres();  // the runtime's own release of that pool
}

__attribute__((destructor)) static void releaseStaticRuntime() { __gnu_cxx::__freeres(); }
