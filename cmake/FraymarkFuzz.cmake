# FRAYMARK_FUZZ=ON builds the libFuzzer targets under tests/fuzz. It needs clang;
# every target is then built with fuzzing coverage and the address and
# undefined-behaviour sanitizers, so use a build folder of its own.
# Include this before the source folders are added.
include_guard(GLOBAL)

option(FRAYMARK_FUZZ "Build the libFuzzer targets (clang only)" OFF)

if(FRAYMARK_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "FRAYMARK_FUZZ needs clang++; configure with -DCMAKE_CXX_COMPILER=clang++")
  endif()
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined
                      -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
  add_subdirectory(${CMAKE_CURRENT_LIST_DIR}/../tests/fuzz ${CMAKE_BINARY_DIR}/tests/fuzz)
endif()
