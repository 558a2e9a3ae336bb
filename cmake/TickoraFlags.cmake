# One INTERFACE target carries the language level, warnings and Qt strictness flags;
# every target of the project links it.
add_library(tickora_flags INTERFACE)
target_compile_features(tickora_flags INTERFACE cxx_std_20)
target_compile_definitions(tickora_flags INTERFACE
  QT_NO_CAST_FROM_ASCII
  QT_NO_CAST_TO_ASCII
  QT_NO_CONTEXTLESS_CONNECT
  QT_USE_QSTRINGBUILDER
  QT_NO_KEYWORDS)
target_compile_options(tickora_flags INTERFACE -Wall -Wextra -Wpedantic -Wno-missing-field-initializers)
# Debug builds check every standard container index, so an index past the end stops the program.
target_compile_definitions(tickora_flags INTERFACE $<$<CONFIG:Debug>:_GLIBCXX_ASSERTIONS>)

# Sanitizer builds (the asan preset) pass their flags through TICKORA_SANITIZE.
set(TICKORA_SANITIZE "" CACHE STRING "Sanitizers, e.g. address,undefined")
if(TICKORA_SANITIZE)
  target_compile_options(tickora_flags INTERFACE -fsanitize=${TICKORA_SANITIZE} -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  target_link_options(tickora_flags INTERFACE -fsanitize=${TICKORA_SANITIZE})
endif()

# Fuzz builds (the fuzz preset, clang only) instrument every library for libFuzzer's coverage and
# for the address and undefined-behaviour sanitizers; the fuzz targets add -fsanitize=fuzzer.
if(TICKORA_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "TICKORA_FUZZ needs clang (libFuzzer); configure with the fuzz preset")
  endif()
  target_compile_options(tickora_flags INTERFACE
    -fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  target_link_options(tickora_flags INTERFACE -fsanitize=address,undefined)
endif()
