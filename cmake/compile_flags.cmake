# The project's compile flags, each set defined once as an INTERFACE target
# that a target links PRIVATE to take it on.

# Warnings: every target of the project's own code. As errors only when asked
# (scripts/build.sh and CI do): a packager's newer compiler may warn where ours
# does not, and that must not stop their build.
option(DQ_WERROR "Treat the project's warnings as errors" OFF)
add_library(dq_warnings INTERFACE)
target_compile_options(dq_warnings INTERFACE -Wall -Wextra $<$<BOOL:${DQ_WERROR}>:-Werror>)

# The engine's floating-point flags: the engine and whatever must compute as it
# does (the literal transcription, the sanitizer and fuzzer builds of its
# sources, the LV2 build). None changes a result: errno is never read and no
# floating-point trap is ever enabled, so sqrt stays one instruction and
# independent per-sample passes can be vectorised; no multiply-add is ever
# fused, so the instruction-set builds of the passes agree bit for bit.
add_library(dq_engine_flags INTERFACE)
target_compile_options(dq_engine_flags INTERFACE -fno-math-errno -fno-trapping-math -ffp-contract=off)
if(WIN32)
  # The Windows ABI only promises 16-byte stack alignment, and GCC may still
  # spill wide vectors with aligned moves: have the assembler make every
  # vector move an unaligned one (same speed on aligned data).
  target_compile_options(dq_engine_flags INTERFACE -Wa,-muse-unaligned-vector-move)
endif()

# Linux plug-in modules ship without a symbol table (their exported entry stays
# in the dynamic one): the packages carry the very files the tests load.
if(NOT WIN32)
  string(APPEND CMAKE_MODULE_LINKER_FLAGS_RELEASE " -s")
endif()
