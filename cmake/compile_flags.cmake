# The project's compile flags, each set defined once as an INTERFACE target
# that a target links PRIVATE to take it on.

# Warnings, as errors: every target of the project's own code.
add_library(dq_warnings INTERFACE)
target_compile_options(dq_warnings INTERFACE -Wall -Wextra -Werror)

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
