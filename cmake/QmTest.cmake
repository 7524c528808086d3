# One test executable per test file, registered with CTest without running it at build time.
include(GoogleTest)

# qm_add_test(NAME SOURCES a.cpp [b.cpp] LIBS lib... [GUI])
# GUI tests run on the offscreen platform with a private runtime folder.
function(qm_add_test name)
    cmake_parse_arguments(T "GUI" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${T_SOURCES})
    target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main qm_test_support)
    target_compile_definitions(${name} PRIVATE
        QM_BINARY_DIR="${PROJECT_BINARY_DIR}"
        QM_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
    gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST
        PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen;QM_TEST=1"
        DISCOVERY_TIMEOUT 60)
    add_dependencies(check ${name})
endfunction()
