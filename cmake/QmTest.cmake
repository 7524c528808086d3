# One test executable per test file, registered with CTest without running it at build time.
include(GoogleTest)

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
    target_compile_definitions(${name} PRIVATE
        QM_BINARY_DIR="${PROJECT_BINARY_DIR}"
        QM_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
    # Names without parameter values: a printed struct shows its bytes, pointers included, so
    # the names would change with every build and no one could pick a test by name.
    gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST NO_PRETTY_VALUES NO_PRETTY_TYPES
        PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen;QM_TEST=1"
        DISCOVERY_TIMEOUT 60)
    add_dependencies(check ${name})
endfunction()
