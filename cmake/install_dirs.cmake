# Where `cmake --install` puts each module, relative to the prefix, by each
# platform's convention. On Windows the prefix defaults to C:/Program Files, so
# the VST 3 bundle and the CLAP land in Common Files, where hosts look, and the
# VST 2 DLL in a folder of the user's choosing. On Linux the LV2 bundle and the
# CLAP go under lib/ of the prefix (/usr/local, or /usr for a package).
if(WIN32)
  set(DQ_WINDOWS_PREFIX "C:/Program Files")
  if(CMAKE_INSTALL_PREFIX_INITIALIZED_TO_DEFAULT)
    set(CMAKE_INSTALL_PREFIX "${DQ_WINDOWS_PREFIX}" CACHE PATH "Install prefix" FORCE)
  endif()
  set(DQ_INSTALL_VST2_DIR VSTPlugins CACHE STRING
      "Folder for the VST 2 DLL (relative to the prefix, or absolute): whichever folder the host scans")
  set(DQ_INSTALL_VST3_DIR "Common Files/VST3")
  set(DQ_INSTALL_CLAP_DIR "Common Files/CLAP")
  # The VST 3 factory presets go where hosts read them, the common application
  # data folder's VST3 Presets/<vendor>/<plug-in name>, which lies beside the
  # prefix rather than in it: installed at the default prefix they go to
  # C:/<this>; under any other prefix (a package's staging, an install from
  # Linux) to <prefix>/<this>, which the installer maps back to that folder.
  set(DQ_INSTALL_VST3_PRESETS_DIR "ProgramData/VST3 Presets")
else()
  set(DQ_INSTALL_LV2_DIR lib/lv2)
  set(DQ_INSTALL_CLAP_DIR lib/clap)
endif()
