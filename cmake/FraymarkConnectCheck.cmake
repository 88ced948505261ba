# Every build checks that no connect() goes without a context object (check-connects.pl):
# Qt 6.8 on Debian 13 refuses such a call, and Qt 6.4 on Debian 12 would let it pass.
include_guard(GLOBAL)

find_program(FRAYMARK_PERL perl REQUIRED)

function(fraymark_check_connects)
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS
    ${PROJECT_SOURCE_DIR}/src/*.cpp ${PROJECT_SOURCE_DIR}/src/*.h
    ${PROJECT_SOURCE_DIR}/tests/*.cpp ${PROJECT_SOURCE_DIR}/tests/*.h
    ${PROJECT_SOURCE_DIR}/bench/*.cpp ${PROJECT_SOURCE_DIR}/tools/*.cpp)
  set(script ${PROJECT_SOURCE_DIR}/cmake/check-connects.pl)
  set(stamp ${PROJECT_BINARY_DIR}/connects-checked.stamp)
  add_custom_command(OUTPUT ${stamp}
    COMMAND ${FRAYMARK_PERL} ${script} ${sources}
    COMMAND ${CMAKE_COMMAND} -E touch ${stamp}
    DEPENDS ${script} ${sources}
    COMMENT "Checking that every connect() has a context object"
    VERBATIM)
  add_custom_target(fraymark_connect_check DEPENDS ${stamp})
endfunction()
