# Where `cmake --install` puts each module, relative to the prefix, by each
# platform's convention. On Windows the prefix defaults to C:/Program Files, so
# the VST 3 bundle and the CLAP land in Common Files, where hosts look, and the
# VST 2 DLL in a folder of the user's choosing. On Linux the LV2 bundle and the
# CLAP go under lib/ of the prefix (/usr/local, or /usr for a package).
if(WIN32)
  if(CMAKE_INSTALL_PREFIX_INITIALIZED_TO_DEFAULT)
    set(CMAKE_INSTALL_PREFIX "C:/Program Files" CACHE PATH "Install prefix" FORCE)
  endif()
  set(DQ_INSTALL_VST2_DIR VSTPlugins CACHE STRING
      "Folder for the VST 2 DLL (relative to the prefix, or absolute): whichever folder the host scans")
  set(DQ_INSTALL_VST3_DIR "Common Files/VST3")
  set(DQ_INSTALL_CLAP_DIR "Common Files/CLAP")
else()
  set(DQ_INSTALL_LV2_DIR lib/lv2)
  set(DQ_INSTALL_CLAP_DIR lib/clap)
endif()
