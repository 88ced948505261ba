# Compiler settings every Fraymark target shares: warnings, Qt hygiene, sanitizers.
add_library(fraymark_options INTERFACE)
target_compile_options(fraymark_options INTERFACE
  -Wall -Wextra -Wpedantic -Wold-style-cast -Wnon-virtual-dtor -Woverloaded-virtual)
target_compile_definitions(fraymark_options INTERFACE
  QT_NO_CAST_FROM_ASCII QT_NO_CAST_TO_ASCII QT_NO_FOREACH QT_NO_CONTEXTLESS_CONNECT)

if(FRAYMARK_SANITIZE)
  target_compile_options(fraymark_options INTERFACE
    -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  target_link_options(fraymark_options INTERFACE -fsanitize=address,undefined)
endif()
