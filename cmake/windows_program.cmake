# add_windows_program(name [NEEDS_PLUGIN] SOURCES...)
# One Windows program of the cross tree: the project's warnings, the C/C++
# runtime linked in (the program runs under Wine with nothing installed), the
# project root on the include path, and the program beside the DLL in the
# tree's top folder. NEEDS_PLUGIN builds the DLL first for programs that load it.
function(add_windows_program name)
  cmake_parse_arguments(PARSE_ARGV 1 ARG "NEEDS_PLUGIN" "" "")
  add_executable(${name} ${ARG_UNPARSED_ARGUMENTS})
  windows_binary_defaults(${name})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
  if(ARG_NEEDS_PLUGIN)
    add_dependencies(${name} DorlinQuillet)
  endif()
endfunction()

# Warnings, the runtime linked in, and the project root on the include path,
# for any executable or DLL of the cross tree. No time stamp in the PE header:
# the same sources give the same bytes.
function(windows_binary_defaults target)
  target_include_directories(${target} PRIVATE ${CMAKE_SOURCE_DIR})
  target_link_libraries(${target} PRIVATE dq_warnings)
  target_link_options(${target} PRIVATE -static -static-libgcc -static-libstdc++ -Wl,--no-insert-timestamp)
endfunction()
