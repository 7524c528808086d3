# One test executable per test file, registered with CTest without running it at build time.
include(GoogleTest)

# An engine test spends most of its compile parsing the test framework's headers (under clang
# 2.0 s of a 119-line test, 0.55 s with them precompiled once for all). Under clang only: gcc 12
# reports false array-bounds overflows in the standard string's inlined copies when the headers
# come precompiled, and string-building test helpers set it off.
set(qm_test_pch_headers <gtest/gtest.h>)
# No shared header for the window's tests: Qt's test library defines QT_TESTCASE_BUILDDIR as each
# test's own folder, and gcc refuses a header built with another value.

# Libraries free of Qt: their tests compile with the options of the engine tests' header.
set(qm_test_pch_engine_libs engine web_samples chart_samples function_test_support
    formula_conformance_lib)

# The definitions every test executable gets.
function(qm_test_definitions name)
    target_compile_definitions(${name} PRIVATE
        QM_BINARY_DIR="${PROJECT_BINARY_DIR}"
        QM_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
endfunction()

# qm_add_test_pch(NAME HEADERS header... LIBS lib...): a library of no code, built for its
# precompiled header alone, with the definitions and libraries of the tests that reuse it. Not
# one of the tests themselves: their objects would wait for whatever that test links.
function(qm_add_test_pch name)
    cmake_parse_arguments(P "" "" "HEADERS;LIBS" ${ARGN})
    file(CONFIGURE OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/${name}.cpp
        CONTENT "// Only the precompiled header is built here.\n")
    add_library(${name} OBJECT ${CMAKE_CURRENT_BINARY_DIR}/${name}.cpp)
    target_link_libraries(${name} PRIVATE ${P_LIBS} qm_test_support)
    qm_test_definitions(${name})
    qm_precompile(${name} ${P_HEADERS})
    set_target_properties(${name} PROPERTIES AUTOMOC OFF)
endfunction()

# qm_add_test(NAME SOURCES a.cpp [b.cpp] LIBS lib... [GUI])
# GUI tests drive the real window on the offscreen platform with its seams replaced by doubles.
function(qm_add_test name)
    cmake_parse_arguments(T "GUI" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${T_SOURCES})
    if(T_GUI)
        # GUI tests get a QApplication on the offscreen platform and the window's doubles.
        target_link_libraries(${name} PRIVATE ${T_LIBS} qm_gui_test_support qm_gui_test_main)
    else()
        target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main)
    endif()
    target_link_libraries(${name} PRIVATE qm_test_support)
    qm_test_definitions(${name})
    set(engine_side ON)
    foreach(lib ${T_LIBS})
        if(NOT lib IN_LIST qm_test_pch_engine_libs)
            set(engine_side OFF)
        endif()
    endforeach()
    if(engine_side AND NOT T_GUI)
        # No Qt, so nothing for moc: its scan would only add two build steps per test.
        set_target_properties(${name} PROPERTIES AUTOMOC OFF)
    endif()
    # Tests that link Qt build with other options: they parse their own headers.
    if(QM_PCH AND engine_side AND NOT T_GUI AND TARGET qm_test_pch)
        qm_reuse_precompiled(${name} qm_test_pch)
    endif()
    # Names without parameter values: a printed struct shows its bytes, pointers included, so
    # the names would change with every build and no one could pick a test by name.
    gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST NO_PRETTY_VALUES NO_PRETTY_TYPES
        PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen;QM_TEST=1"
        DISCOVERY_TIMEOUT 60)
    add_dependencies(check ${name})
endfunction()
