# fraymark_add_test(<name> SOURCES <files...> LIBS <targets...>)
# One Qt Test executable run by CTest in a fixed, headless environment.
set(FRAYMARK_TEST_RUNTIME_DIR ${CMAKE_BINARY_DIR}/xdg-runtime)
file(MAKE_DIRECTORY ${FRAYMARK_TEST_RUNTIME_DIR})
file(CHMOD ${FRAYMARK_TEST_RUNTIME_DIR} DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE)

set(FRAYMARK_TEST_ENVIRONMENT
  QT_QPA_PLATFORM=offscreen
  LC_ALL=C.UTF-8
  LANG=C.UTF-8
  LANGUAGE=
  XDG_RUNTIME_DIR=${FRAYMARK_TEST_RUNTIME_DIR}
  XDG_STATE_HOME=${CMAKE_BINARY_DIR}/xdg-state
  XDG_DATA_HOME=${CMAKE_BINARY_DIR}/xdg-data
  FRAYMARK_TEST_DATA=${PROJECT_SOURCE_DIR}/tests/data)
if(WIN32)
  # As main() runs the program on Windows: patterns interpreted, never compiled to machine code.
  list(APPEND FRAYMARK_TEST_ENVIRONMENT QT_ENABLE_REGEXP_JIT=0)
endif()

function(fraymark_add_test name)
  cmake_parse_arguments(ARG "" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 120)
  endif()
  if(CMAKE_CROSSCOMPILING_EMULATOR)
    math(EXPR ARG_TIMEOUT "${ARG_TIMEOUT} * 4") # Wine starts slowly, and shares the machine
  endif()
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} Qt6::Test fraymark_options)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES
    ENVIRONMENT "${FRAYMARK_TEST_ENVIRONMENT}"
    TIMEOUT ${ARG_TIMEOUT})
endfunction()

# fraymark_skipped_test(<name> <reason>)
# A test that cannot mean anything on this target, counted by CTest as skipped, with why.
function(fraymark_skipped_test name reason)
  add_test(NAME ${name} COMMAND ${CMAKE_COMMAND} -E echo "skipped: ${reason}")
  set_tests_properties(${name} PROPERTIES SKIP_REGULAR_EXPRESSION "skipped: ")
endfunction()
