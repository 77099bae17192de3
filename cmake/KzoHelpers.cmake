# Shared helpers so every subsystem declares its targets the same way.

option(KZO_UNITY_BUILD "Compile each library in batches of sources (faster builds)" ON)
set(KZO_NO_UNITY_LIBS kzo_online_ui kzo_updater kzo_devsim_core)

# kzo_add_library(name SOURCES ... DEPS ...)
# Every library exposes src/ as its include root, so headers are included as
# "subsystem/Header.h".
function(kzo_add_library name)
    cmake_parse_arguments(A "" "" "SOURCES;DEPS" ${ARGN})
    add_library(${name} STATIC ${A_SOURCES})
    # Each library compiles as a few large files: the Qt headers are parsed
    # once per batch instead of once per source file.
    # The dialogs of these libraries share file-local names (sizes, styles, keys).
    set(unity ${KZO_UNITY_BUILD})
    if(name IN_LIST KZO_NO_UNITY_LIBS)
        set(unity OFF)
    endif()
    set_target_properties(${name} PROPERTIES UNITY_BUILD ${unity} UNITY_BUILD_BATCH_SIZE 8)
    # Files with a file-local tr() for their own translation context (or a
    # local fail()) would clash in a batch: they compile on their own.
    foreach(src ${A_SOURCES})
        if(src MATCHES "\\.cpp$")
            file(STRINGS ${src} local_helpers REGEX "^(static )?(QString tr\\(const char|bool fail\\()" LIMIT_COUNT 1)
            if(local_helpers)
                set_source_files_properties(${src} PROPERTIES SKIP_UNITY_BUILD_INCLUSION ON)
            endif()
        endif()
    endforeach()
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${name} PUBLIC ${A_DEPS})
endfunction()

# The thread-sanitizer pass builds and runs only the tests labelled "threads"
# (those that run more than one of our threads): `cmake --build . --target
# kzo-thread-tests`, then `ctest -L threads`.
if(KZO_TSAN AND NOT TARGET kzo-thread-tests)
    add_custom_target(kzo-thread-tests)
endif()
# Qt and the C++ runtime are not built with the sanitizer. Their own memory
# accesses (container copies, reference counts, the event queue) are guarded
# by synchronisation the sanitizer cannot see, so accesses made from inside
# them are not checked (ignore_noninstrumented_modules); every access our own
# code makes still is. QProcess forks a process that already has threads, and
# the child only calls exec (die_after_fork=0). A longer history keeps both
# stacks of a report in long tests.
set(KZO_TSAN_OPTIONS "halt_on_error=1 second_deadlock_stack=1 history_size=4 ignore_noninstrumented_modules=1 die_after_fork=0 suppressions=${PROJECT_SOURCE_DIR}/tests/tsan.supp")

# KZO_TEST_LABELS limits the tests built and registered to those carrying one
# of the listed labels (the thread-sanitizer build takes "threads"). The plain
# pass of ./test.sh uses it for the tests that show web views: every other test
# runs in the sanitizer pass, so it is not built twice.
set(KZO_TEST_LABELS "" CACHE STRING "Build only the tests with one of these labels (empty: all)")
set(kzo_test_filter ${KZO_TEST_LABELS})
if(KZO_TSAN AND NOT kzo_test_filter)
    set(kzo_test_filter threads)
endif()

# kzo_add_test(name SOURCES ... DEPS ... [ENV k=v ...] [LABELS ...] [TIMEOUT s])
# Qt Test executables under ctest, widgets on the offscreen platform, each test
# with its own temporary XDG homes so settings never leak between tests.
function(kzo_add_test name)
    cmake_parse_arguments(A "" "TIMEOUT" "SOURCES;DEPS;ENV;LABELS" ${ARGN})
    set(selected TRUE)
    if(kzo_test_filter)
        set(selected FALSE)
        foreach(l ${A_LABELS})
            if(l IN_LIST kzo_test_filter)
                set(selected TRUE)
            endif()
        endforeach()
    endif()
    if(NOT selected)
        # Not built by default and not a test here; the target still exists
        # so the settings its folder adds to it after this call keep working.
        add_executable(${name} EXCLUDE_FROM_ALL ${A_SOURCES})
        target_link_libraries(${name} PRIVATE Qt6::Test ${A_DEPS})
        return()
    endif()
    add_executable(${name} ${A_SOURCES})
    if(KZO_TSAN)
        add_dependencies(kzo-thread-tests ${name})
        # Keeps the sanitizer's view of the test intact across QProcess starts.
        target_sources(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests/support/TsanCloneShim.cpp)
        target_link_libraries(${name} PRIVATE ${CMAKE_DL_LIBS})
        # Thread-sanitizer reports end the test (and any simulator or program
        # it starts, which inherit the variable) with a failure.
        list(APPEND A_ENV "TSAN_OPTIONS=${KZO_TSAN_OPTIONS}")
    endif()
    target_link_libraries(${name} PRIVATE Qt6::Test ${A_DEPS})
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/tests)
    # The code under test keeps its optimisation; the tests' own code gains
    # nothing from it and compiles much faster without it (a quarter to a third
    # of the build time of each pass).
    target_compile_options(${name} PRIVATE $<$<CONFIG:Release>:-O1> $<$<CONFIG:Debug>:-O0>)
    target_compile_definitions(${name} PRIVATE
        KZO_BIN_DIR="${CMAKE_RUNTIME_OUTPUT_DIRECTORY}"
        KZO_TEST_OUTPUT_DIR="${CMAKE_BINARY_DIR}/test-output"
        KZO_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
    add_test(NAME ${name} COMMAND ${name})
    if(NOT A_TIMEOUT)
        set(A_TIMEOUT 120)
    endif()
    set(tmp ${CMAKE_BINARY_DIR}/test-home/${name})
    set_tests_properties(${name} PROPERTIES
        TIMEOUT ${A_TIMEOUT}
        LABELS "${A_LABELS}"
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;XDG_CONFIG_HOME=${tmp}/config;XDG_DATA_HOME=${tmp}/data;XDG_RUNTIME_DIR=${tmp}/run;HOME=${tmp};QTWEBENGINE_DISABLE_SANDBOX=1;ASAN_OPTIONS=detect_leaks=0;UBSAN_OPTIONS=print_stacktrace=1;${A_ENV}")
endfunction()

# Adds every listed subdirectory that exists, so subsystems can land one by one.
# KZO_ONLY (a list of folder names such as "protocol;link;devsim") limits the
# build to those folders, so one subsystem can be built while another is being
# edited.
set(KZO_ONLY "" CACHE STRING "Build only these subsystem folders (empty: all)")
macro(kzo_add_existing_subdirs)
    foreach(d ${ARGN})
        if(KZO_ONLY AND NOT d IN_LIST KZO_ONLY)
            continue()
        endif()
        if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${d}/CMakeLists.txt)
            add_subdirectory(${d})
        endif()
    endforeach()
endmacro()

# kzo_add_x11_run(test) runs an existing Qt Test executable a second time on
# a real X server (Xvfb, xcb platform): focus, default buttons and window
# activation behave there as on a desktop, not as on the offscreen platform.
function(kzo_add_x11_run name)
    find_program(KZO_XVFB_RUN xvfb-run)
    if(NOT TARGET ${name} OR NOT KZO_XVFB_RUN OR KZO_TSAN)
        return()
    endif()
    get_target_property(left_out ${name} EXCLUDE_FROM_ALL)
    if(left_out)
        return()
    endif()
    add_test(NAME ${name}_x11 COMMAND ${KZO_XVFB_RUN} -a -s "-screen 0 1280x1024x24" $<TARGET_FILE:${name}>)
    get_test_property(${name} TIMEOUT timeout)
    set(tmp ${CMAKE_BINARY_DIR}/test-home/${name}_x11)
    set_tests_properties(${name}_x11 PROPERTIES
        TIMEOUT ${timeout}
        LABELS "x11"
        RESOURCE_LOCK xvfb
        ENVIRONMENT "QT_QPA_PLATFORM=xcb;XDG_CONFIG_HOME=${tmp}/config;XDG_DATA_HOME=${tmp}/data;XDG_RUNTIME_DIR=${tmp}/run;HOME=${tmp};QTWEBENGINE_DISABLE_SANDBOX=1;ASAN_OPTIONS=detect_leaks=0;UBSAN_OPTIONS=print_stacktrace=1")
endfunction()
