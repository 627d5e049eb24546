# The offline render host and its wrapper script, driven with the real DLL and
# with deliberately broken plug-ins.
set(fake_plugin_dir ${CMAKE_BINARY_DIR}/fake_plugins)
set(fake_kinds NO_ENTRY NULL_ENTRY BAD_MAGIC MONO_IO CRASH REFUSES_THIRD)
foreach(kind ${fake_kinds})
  string(TOLOWER ${kind} name)
  add_library(fake_${name} SHARED ${CMAKE_CURRENT_SOURCE_DIR}/fake_plugins/fake_plugin.cpp)
  target_compile_definitions(fake_${name} PRIVATE FAKE_${kind})
  windows_binary_defaults(fake_${name})
  set_target_properties(fake_${name} PROPERTIES PREFIX "" OUTPUT_NAME ${name}
    RUNTIME_OUTPUT_DIRECTORY ${fake_plugin_dir})
endforeach()

# Each script gets the host, the DLL and the broken plug-ins' folder.
foreach(script round_trips bad_input formats batch)
  add_test(NAME win.render_${script}
    COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/render_${script}.sh
            $<TARGET_FILE:render_host> $<TARGET_FILE:DorlinQuillet> ${fake_plugin_dir})
  set_tests_properties(win.render_${script} PROPERTIES TIMEOUT 600)
endforeach()

add_test(NAME win.render_editor_snapshot
  COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/render_editor_snapshot.sh
          $<TARGET_FILE:editor_snapshot> $<TARGET_FILE:DorlinQuillet>)
set_tests_properties(win.render_editor_snapshot PROPERTIES TIMEOUT 300)
