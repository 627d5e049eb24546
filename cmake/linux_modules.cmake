# What every Linux plug-in module gets (add a new module to the list): the C++
# runtime and libgcc linked in, their names hidden as the modules export only
# their entries, so that a module needs only glibc and the X11, Cairo and
# FreeType libraries every desktop has, not a libstdc++ as new as the build
# machine's; that runtime's own memory freed at unload; unused sections
# dropped, since the runtime's parts no module calls would raise the glibc
# needed (std::random_device's arc4random wants 2.36; what remains is
# libgcc's unwinder, 2.35).
set(DQ_LINUX_MODULES dorlin_quillet_lv2 dorlin_quillet_lv2_ui DorlinQuilletClap)
add_library(static_runtime_release OBJECT ${CMAKE_SOURCE_DIR}/core/static_runtime_release.cpp)
set_property(TARGET static_runtime_release PROPERTY POSITION_INDEPENDENT_CODE ON)
foreach(module IN LISTS DQ_LINUX_MODULES)
  if(TARGET ${module})
    target_sources(${module} PRIVATE $<TARGET_OBJECTS:static_runtime_release>)
    target_link_options(${module} PRIVATE -static-libstdc++ -static-libgcc -Wl,--gc-sections)
  endif()
endforeach()
