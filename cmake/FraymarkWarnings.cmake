# Compiler settings every Fraymark target shares: warnings, Qt hygiene,
# hardening of optimised builds, sanitizers.
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

# The protections Debian builds its packages with, for the optimised builds
# that get installed. _FORTIFY_SOURCE needs optimisation, so Debug is left
# alone; the sanitizer and fuzz builds instrument memory themselves and their
# interceptors do not mix with the fortified libc calls.
option(FRAYMARK_HARDEN "Build Release and RelWithDebInfo with Debian's hardening flags" ON)
if(FRAYMARK_HARDEN AND NOT FRAYMARK_SANITIZE AND NOT FRAYMARK_FUZZ)
  set(optimised "$<CONFIG:Release,RelWithDebInfo,MinSizeRel>")
  # -U first: a -D_FORTIFY_SOURCE from the caller's CXXFLAGS would clash.
  target_compile_options(fraymark_options INTERFACE
    "$<${optimised}:-U_FORTIFY_SOURCE;-D_FORTIFY_SOURCE=2;-fstack-protector-strong>")
  if(WIN32)
    # MinGW's linker knows no -z: address layout randomisation and no-execute data are
    # flags of the Windows image instead. The fortified calls need libssp-0.dll beside
    # the program.
    target_link_options(fraymark_options INTERFACE
      "$<${optimised}:LINKER:--dynamicbase,--nxcompat,--high-entropy-va>"
      "$<${optimised}:-fstack-protector-strong>")
  else()
    target_compile_options(fraymark_options INTERFACE
      "$<${optimised}:-fstack-clash-protection;-fcf-protection>")
    target_link_options(fraymark_options INTERFACE
      "$<${optimised}:LINKER:-z,relro,-z,now>")
  endif()
  unset(optimised)
endif()
