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
  FRAYMARK_TEST_DATA=${PROJECT_SOURCE_DIR}/tests/data)

function(fraymark_add_test name)
  cmake_parse_arguments(ARG "" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 120)
  endif()
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} Qt6::Test fraymark_options)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES
    ENVIRONMENT "${FRAYMARK_TEST_ENVIRONMENT}"
    TIMEOUT ${ARG_TIMEOUT})
endfunction()
