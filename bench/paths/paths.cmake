# The path benchmark: the pre-restructuring engine built once per arithmetic
# variant, each in a namespace of its own. Included by the native and win64
# benchmark folders; `signals` is the signal source or library to link.
function(add_path_bench target signals)
  set(dir ${CMAKE_SOURCE_DIR}/bench/paths)
  get_target_property(dsp_options dsp COMPILE_OPTIONS)
  set(variant_libs)
  foreach(variant pathsToday pathsHeldDivision:HELD_DIVISION pathsWrittenControls:WRITTEN_CONTROLS
                  pathsWrittenGain:WRITTEN_GAIN pathsRuntimeLog10:RUNTIME_LOG10
                  pathsRuntimeOptions:RUNTIME_OPTIONS)
    string(REPLACE ":" ";" parts ${variant})
    list(GET parts 0 ns)
    add_library(${target}_${ns} STATIC ${dir}/engine_paths.cpp)
    target_compile_options(${target}_${ns} PRIVATE ${dsp_options})
    target_compile_definitions(${target}_${ns} PRIVATE PATHS_NS=${ns})
    list(LENGTH parts n)
    if(n GREATER 1)
      list(GET parts 1 macro)
      target_compile_definitions(${target}_${ns} PRIVATE ${macro})
    endif()
    target_include_directories(${target}_${ns} PRIVATE ${dir} ${CMAKE_SOURCE_DIR}/dsp)
    list(APPEND variant_libs ${target}_${ns})
  endforeach()
  add_executable(${target} ${dir}/path_bench.cpp ${signals})
  target_include_directories(${target} PRIVATE ${dir} ${CMAKE_SOURCE_DIR}/bench)
  target_link_libraries(${target} PRIVATE ${variant_libs} dsp)
endfunction()
