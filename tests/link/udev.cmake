# Discovery through libudev against mocked sysfs, udev and tty nodes
# (umockdev). The tests run under umockdev's preload library; without
# umockdev installed the group is left out.
pkg_check_modules(UMOCKDEV QUIET IMPORTED_TARGET umockdev-1.0)
find_program(KZO_UMOCKDEV_WRAPPER umockdev-wrapper)
if(NOT UMOCKDEV_FOUND OR NOT KZO_UMOCKDEV_WRAPPER)
    message(STATUS "umockdev not found: the udev discovery tests are left out")
    return()
endif()

# kzo_add_udev_test(name SOURCES ... DEPS ... [LABELS ...]): kzo_add_test's
# settings and environment, with the program started through
# umockdev-wrapper. A sanitizer runtime has to be the first library loaded,
# before umockdev's preload library; in those builds the test is started the
# way umockdev-wrapper starts it, with the runtime put first.
function(kzo_add_udev_test name)
    cmake_parse_arguments(A "" "" "SOURCES;DEPS;LABELS" ${ARGN})
    add_executable(${name} ${A_SOURCES})
    target_link_libraries(${name} PRIVATE Qt6::Test ${A_DEPS})
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/tests)
    target_compile_options(${name} PRIVATE $<$<CONFIG:Release>:-O1> $<$<CONFIG:Debug>:-O0>)
    target_compile_definitions(${name} PRIVATE
        KZO_BIN_DIR="${CMAKE_RUNTIME_OUTPUT_DIRECTORY}"
        KZO_TEST_OUTPUT_DIR="${CMAKE_BINARY_DIR}/test-output"
        KZO_SOURCE_DIR="${PROJECT_SOURCE_DIR}")

    set(env "")
    set(runtime "")
    if(KZO_TSAN)
        add_dependencies(kzo-thread-tests ${name})
        list(APPEND env "TSAN_OPTIONS=${KZO_TSAN_OPTIONS}")
        set(runtime tsan)
    elseif(KZO_SANITIZE)
        set(runtime asan)
    endif()
    if(runtime AND NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
        # GCC links the runtime as a shared library (clang links it statically:
        # nothing to preload there).
        execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=lib${runtime}.so
            OUTPUT_VARIABLE runtime_lib OUTPUT_STRIP_TRAILING_WHITESPACE)
        add_test(NAME ${name} COMMAND env LD_PRELOAD=${runtime_lib}:libumockdev-preload.so.0 $<TARGET_FILE:${name}>)
    else()
        add_test(NAME ${name} COMMAND ${KZO_UMOCKDEV_WRAPPER} $<TARGET_FILE:${name}>)
    endif()

    set(tmp ${CMAKE_BINARY_DIR}/test-home/${name})
    set_tests_properties(${name} PROPERTIES
        TIMEOUT 60
        LABELS "${A_LABELS}"
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;XDG_CONFIG_HOME=${tmp}/config;XDG_DATA_HOME=${tmp}/data;XDG_RUNTIME_DIR=${tmp}/run;HOME=${tmp};ASAN_OPTIONS=detect_leaks=0;UBSAN_OPTIONS=print_stacktrace=1;${env}")
endfunction()

# The device finder is a thread of its own, and so is the port's listener.
kzo_add_udev_test(kzo_link_udev_test
    SOURCES udev/UdevDiscoveryTest.cpp udev/MockUdev.cpp ${PROJECT_SOURCE_DIR}/src/app/ConnectWatch.cpp
    DEPS kzo_link kzo_commands PkgConfig::UMOCKDEV Qt6::Core
    LABELS udev threads)
