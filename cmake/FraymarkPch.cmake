# Precompiled Qt headers, where they pay. Reading Qt's headers is half the
# time of a test's compile (<QtTest> brings in all of QtCore) and of a window
# source's; a library source without widgets reads little of Qt, and loading
# a precompiled QtCore would cost it more than it saves. So each build folder
# compiles two headers once, and the targets that read much of Qt reuse them:
#   fraymark_app holds the widgets' one, for everything built with widgets;
#   fraymark_test_pch holds QtCore, for the other tests.
#
# A precompiled header is only used with the flags it was made with (GCC says
# so through -Winvalid-pch, which CMake adds), so only targets built with
# fraymark_options share one. QtTest stays out: Qt6::Test gives each folder
# its own QT_TESTCASE_BUILDDIR and QT_TESTCASE_SOURCEDIR, which its headers
# read. Configure with -DCMAKE_DISABLE_PRECOMPILE_HEADERS=ON to build without
# them, say to check that a source includes all it uses.
include_guard(GLOBAL)

set(FRAYMARK_PCH_CORE <QtCore/QtCore>)
# The widget headers most of src/app and tests/app include, with those they
# bring along; a header missing here is still read the ordinary way.
set(FRAYMARK_PCH_WIDGETS ${FRAYMARK_PCH_CORE}
  <QtGui/QAccessible> <QtGui/QKeyEvent> <QtGui/QPainter>
  <QtWidgets/QApplication> <QtWidgets/QCheckBox> <QtWidgets/QLabel>
  <QtWidgets/QLineEdit> <QtWidgets/QListView> <QtWidgets/QMainWindow>
  <QtWidgets/QMenu> <QtWidgets/QMenuBar> <QtWidgets/QPlainTextEdit>
  <QtWidgets/QPushButton> <QtWidgets/QScrollArea> <QtWidgets/QStyleOption>)

# Call once every target is defined, with the top source folder.
function(fraymark_precompile_headers dir)
  set(dirs ${dir})
  set(targets)
  while(dirs)
    list(POP_FRONT dirs d)
    get_property(sub DIRECTORY ${d} PROPERTY SUBDIRECTORIES)
    get_property(own DIRECTORY ${d} PROPERTY BUILDSYSTEM_TARGETS)
    list(APPEND dirs ${sub})
    list(APPEND targets ${own})
  endwhile()

  if(TARGET fraymark_app)
    target_precompile_headers(fraymark_app PRIVATE ${FRAYMARK_PCH_WIDGETS})
  endif()
  foreach(target IN LISTS targets)
    get_target_property(libs ${target} LINK_LIBRARIES)
    if(target STREQUAL fraymark_app OR NOT "fraymark_options" IN_LIST libs)
      continue()
    endif()
    # A Windows window program's main() is compiled as Qt's qMain, which the header was not.
    get_target_property(window_program ${target} WIN32_EXECUTABLE)
    if(WIN32 AND window_program)
      continue()
    endif()
    if(TARGET fraymark_app AND ("fraymark_app" IN_LIST libs OR "Qt6::Widgets" IN_LIST libs))
      set(owner fraymark_app)
    elseif("Qt6::Test" IN_LIST libs)
      set(owner fraymark_test_pch)
      if(NOT TARGET fraymark_test_pch)
        # A target of its own, so that no test waits for another to link.
        file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/fraymark_test_pch.cpp CONTENT "")
        add_library(fraymark_test_pch OBJECT ${CMAKE_BINARY_DIR}/fraymark_test_pch.cpp)
        set_target_properties(fraymark_test_pch PROPERTIES AUTOMOC OFF)
        target_link_libraries(fraymark_test_pch PRIVATE Qt6::Core fraymark_options)
        target_precompile_headers(fraymark_test_pch PRIVATE ${FRAYMARK_PCH_CORE})
      endif()
    else()
      continue()
    endif()
    target_precompile_headers(${target} REUSE_FROM ${owner})

    # AUTOMOC's mocs_compilation.cpp is empty when the target lists no header
    # (a test includes its own .moc), and an empty file takes a second to
    # compile with the header.
    get_target_property(sources ${target} SOURCES)
    list(FILTER sources INCLUDE REGEX "\\.h$")
    if(NOT sources)
      get_target_property(binary_dir ${target} BINARY_DIR)
      set_source_files_properties(${binary_dir}/${target}_autogen/mocs_compilation.cpp
        TARGET_DIRECTORY ${target} PROPERTIES SKIP_PRECOMPILE_HEADERS ON)
    endif()
  endforeach()
endfunction()
