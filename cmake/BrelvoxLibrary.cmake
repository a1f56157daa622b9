# brelvox_library(NAME [DEPS lib...])
# One library per source folder, built from every .cpp in it. An empty folder gives an
# interface library so that the layer order can be declared before the code exists.
function(brelvox_library name)
    cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
    file(GLOB sources CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/*.cpp")
    if(sources)
        add_library(${name} STATIC ${sources})
        target_include_directories(${name} PUBLIC "${PROJECT_SOURCE_DIR}")
        target_link_libraries(${name} PUBLIC ${ARG_DEPS})
    else()
        add_library(${name} INTERFACE)
        target_include_directories(${name} INTERFACE "${PROJECT_SOURCE_DIR}")
        target_link_libraries(${name} INTERFACE ${ARG_DEPS})
    endif()
endfunction()

# The environment of every test: Mesa's shader cache off, so that each run compiles every shader and a
# shader the compiler warns about is refused on every run (a cached shader is not compiled again and
# reports nothing).
set(BRELVOX_TEST_ENVIRONMENT "MESA_SHADER_CACHE_DISABLE=true")

# brelvox_test(FOLDER [DEPS lib...] [LABELS label] [SERIAL pattern])
# One GoogleTest executable per test folder (tests/FOLDER/*.cpp), its cases discovered by ctest. Cases
# matching the gtest pattern SERIAL run alone (RUN_SERIAL): they drive the X server with input events,
# and a window opened by a test running beside them could take the keyboard focus.
function(brelvox_test folder)
    cmake_parse_arguments(ARG "" "SERIAL" "DEPS;LABELS" ${ARGN})
    file(GLOB sources CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/${folder}/*.cpp")
    if(NOT sources)
        return()
    endif()
    set(target test_${folder})
    add_executable(${target} ${sources})
    target_link_libraries(${target} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gtest_main GTest::gmock)
    # GoogleTest's and GoogleMock's headers are a third of each case file's compile: read them once.
    target_precompile_headers(${target} PRIVATE <gtest/gtest.h> <gmock/gmock.h>)
    # The cases' own code without optimisation and with line tables only (enough for a backtrace): half
    # the compile of -O2 -g, and the code under test, in the libraries, keeps the build's flags.
    target_compile_options(${target} PRIVATE $<$<CONFIG:RelWithDebInfo,Release>:-O0 -g1>)
    target_compile_definitions(${target} PRIVATE
        BRELVOX_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
        BRELVOX_BINARY_DIR="${PROJECT_BINARY_DIR}")
    # One label per case: a list value does not survive the discovery script. Cases that need a
    # window or sound carry "display" or "audio", the others their folder's name.
    if(ARG_LABELS)
        list(GET ARG_LABELS 0 label)
    else()
        set(label ${folder})
    endif()
    # Every case compiles its shaders afresh (see BRELVOX_TEST_ENVIRONMENT).
    set(props LABELS ${label} ENVIRONMENT "${BRELVOX_TEST_ENVIRONMENT}")
    if(ARG_SERIAL)
        gtest_discover_tests(${target}
            WORKING_DIRECTORY "${PROJECT_BINARY_DIR}"
            DISCOVERY_TIMEOUT 60
            TEST_FILTER "-${ARG_SERIAL}"
            PROPERTIES ${props})
        gtest_discover_tests(${target}
            WORKING_DIRECTORY "${PROJECT_BINARY_DIR}"
            DISCOVERY_TIMEOUT 60
            TEST_FILTER "${ARG_SERIAL}"
            PROPERTIES RUN_SERIAL TRUE ${props})
    else()
        gtest_discover_tests(${target}
            WORKING_DIRECTORY "${PROJECT_BINARY_DIR}"
            DISCOVERY_TIMEOUT 60
            PROPERTIES ${props})
    endif()
endfunction()
