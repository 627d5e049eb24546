# The installer and packages, made by CPack from the install rules (so they
# carry whatever the modules install, never a list of files kept by hand).
# scripts/package.sh makes them all; `cpack` in a tree makes that tree's:
#   Windows (cross tree): an NSIS installer, one component per format, each
#     format installed where its hosts look;
#   Linux (native tree): a .deb and a .tar.gz holding the LV2 bundle and the CLAP.
# SOURCE_DATE_EPOCH (package.sh sets it from the commit) makes them
# reproducible.
# Installing builds nothing: cpack packs the modules as built (the packaging
# tests run while other tests use the tree).
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)
set(CPACK_PACKAGE_NAME "DorlinQuillet")
set(CPACK_PACKAGE_VENDOR "${DQ_VENDOR}")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${DQ_DESCRIPTION}")
set(CPACK_PACKAGE_HOMEPAGE_URL "${DQ_VENDOR_URL}")
set(CPACK_PACKAGE_CHECKSUM SHA256)
set(CPACK_VERBATIM_VARIABLES ON)
# Handed to the scripts below, which run inside cpack.
set(CPACK_DQ_PRODUCT_NAME "${DQ_PRODUCT_NAME}")
set(CPACK_DQ_PACKAGING_DIR "${CMAKE_CURRENT_LIST_DIR}/packaging")
set(CPACK_DQ_SOURCE_DIR "${CMAKE_SOURCE_DIR}")

if(WIN32)
  set(CPACK_GENERATOR NSIS)
  set(CPACK_COMPONENTS_ALL vst2 vst3 clap)
  set(CPACK_PACKAGE_FILE_NAME "${CPACK_PACKAGE_NAME}-${PROJECT_VERSION}-win64")
  set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY "${CPACK_PACKAGE_NAME}")
  set(CPACK_NSIS_DISPLAY_NAME "${DQ_PRODUCT_NAME}")
  # Our own installer script (NSIS.template.in): each format goes to its own
  # folder, which the stock script cannot do.
  list(PREPEND CMAKE_MODULE_PATH ${CMAKE_CURRENT_LIST_DIR}/packaging)
  # The per-format file lists, written from the staged install rules.
  set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/packaging/nsis_file_lists.cmake)
  set(CPACK_DQ_VST2_DIR "${DQ_INSTALL_VST2_DIR}")
  if(IS_ABSOLUTE "${DQ_INSTALL_VST2_DIR}")
    message(WARNING "DQ_INSTALL_VST2_DIR is absolute: cmake --install works, the installer cannot be made")
  endif()
else()
  set(CPACK_GENERATOR DEB TGZ)
  set(CPACK_COMPONENTS_ALL lv2 clap)
  # One package holding every component.
  set(CPACK_DEB_COMPONENT_INSTALL OFF)
  set(CPACK_ARCHIVE_COMPONENT_INSTALL OFF)
  string(TOLOWER "${DQ_PRODUCT_NAME}" _package)
  string(REPLACE " " "-" _package "${_package}")
  set(CPACK_DEBIAN_PACKAGE_NAME "${_package}")
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION sound)
  # Dependencies from what the modules link: dpkg-shlibdeps, run by
  # packaging/package_docs.cmake.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS OFF)
  string(REGEX REPLACE "^[a-z]+://([^/]+).*$" "\\1" _vendor_host "${DQ_VENDOR_URL}")
  set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${DQ_VENDOR} <packages@${_vendor_host}>")
  set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "An LV2 plug-in and a CLAP plug-in for Linux hosts: a stereo VCA bus
compressor with a linked detector and a program-dependent release.")
  set(CPACK_DQ_ARCH "${CMAKE_SYSTEM_PROCESSOR}")
  set(CPACK_PACKAGE_FILE_NAME "${_package}-${PROJECT_VERSION}-linux-${CPACK_DQ_ARCH}")
  # The .deb installs under /usr; the archive unpacks to lib/lv2 and lib/clap.
  set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_LIST_DIR}/packaging/per_generator.cmake)
  # The licences, the Debian documentation (.deb) and a README (.tar.gz).
  set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/packaging/package_docs.cmake)
  # The modules that embed the panel's font faces, relative to the prefix
  # (the copyright file names them with the faces' licence).
  if(DQ_LINUX_GUI)
    set(CPACK_DQ_MODULES_WITH_FACES
      ${DQ_INSTALL_CLAP_DIR}/dorlin-quillet.clap
      ${DQ_INSTALL_LV2_DIR}/dorlin-quillet.lv2/dorlin-quillet-ui.so)
  endif()
endif()
include(CPack)
