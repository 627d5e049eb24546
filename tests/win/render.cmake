# The offline render host and its wrapper script, driven with the real DLL and
# with deliberately broken plug-ins.
if(EXISTS ${CMAKE_SOURCE_DIR}/tools/render/CMakeLists.txt)
  set(fake_plugin_dir ${CMAKE_BINARY_DIR}/fake_plugins)
  set(fake_kinds NO_ENTRY NULL_ENTRY BAD_MAGIC MONO_IO CRASH REFUSES_THIRD)
  foreach(kind ${fake_kinds})
    string(TOLOWER ${kind} name)
    add_library(fake_${name} SHARED ${CMAKE_CURRENT_SOURCE_DIR}/fake_plugins/fake_plugin.cpp)
    target_compile_definitions(fake_${name} PRIVATE FAKE_${kind})
    target_include_directories(fake_${name} PRIVATE ${CMAKE_SOURCE_DIR})
    target_link_options(fake_${name} PRIVATE -static -static-libgcc -static-libstdc++)
    set_target_properties(fake_${name} PROPERTIES PREFIX "" OUTPUT_NAME ${name}
      RUNTIME_OUTPUT_DIRECTORY ${fake_plugin_dir})
  endforeach()

  add_test(NAME win.render_round_trips
    COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/render_round_trips.sh
            $<TARGET_FILE:render_host> $<TARGET_FILE:DorlinQuillet>)
  add_test(NAME win.render_bad_input
    COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/render_bad_input.sh
            $<TARGET_FILE:render_host> $<TARGET_FILE:DorlinQuillet> ${fake_plugin_dir})
  add_test(NAME win.render_formats
    COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/render_formats.sh
            $<TARGET_FILE:render_host> $<TARGET_FILE:DorlinQuillet>)
  add_test(NAME win.render_batch
    COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/render_batch.sh
            $<TARGET_FILE:render_host> $<TARGET_FILE:DorlinQuillet> ${fake_plugin_dir})
  set_tests_properties(win.render_round_trips win.render_bad_input win.render_formats
    win.render_batch PROPERTIES TIMEOUT 600)
endif()

# The editor picture tool exists where the editor tests' helpers do.
if(EXISTS ${CMAKE_SOURCE_DIR}/tools/render/CMakeLists.txt AND
   EXISTS ${CMAKE_CURRENT_LIST_DIR}/editor_test_support.cpp)
  add_test(NAME win.render_editor_snapshot
    COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/render_editor_snapshot.sh
            $<TARGET_FILE:editor_snapshot> $<TARGET_FILE:DorlinQuillet>)
  set_tests_properties(win.render_editor_snapshot PROPERTIES TIMEOUT 300)
endif()
