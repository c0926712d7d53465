# Compile rules shared by every target of the project, tests included.
add_library(hw_compile_options INTERFACE)
target_compile_features(hw_compile_options INTERFACE cxx_std_20)
target_compile_options(hw_compile_options INTERFACE -Wall -Wextra -Wpedantic)
target_compile_definitions(hw_compile_options INTERFACE
    QT_NO_CAST_FROM_ASCII
    QT_NO_NARROWING_CONVERSIONS_IN_CONNECT
    QT_NO_FOREACH
    QT_NO_KEYWORDS)

option(HUSHWIRE_FUZZ "Build libFuzzer targets (clang only)" OFF)
if(HUSHWIRE_FUZZ)
    target_compile_options(hw_compile_options INTERFACE -fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
    target_link_options(hw_compile_options INTERFACE -fsanitize=address,undefined)
endif()

option(HUSHWIRE_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
if(HUSHWIRE_SANITIZE)
    target_compile_options(hw_compile_options INTERFACE
        -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    target_link_options(hw_compile_options INTERFACE -fsanitize=address,undefined)
endif()
# What every test runs with, and every program a test starts inherits: under AddressSanitizer a
# leak fails the test, except the ones inside Qt and the system libraries below it, each named
# with its reason in tests/lsan.supp. Without the sanitizers these variables are ignored.
set(HW_SANITIZER_TEST_ENV
    "ASAN_OPTIONS=detect_leaks=1"
    "LSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/tests/lsan.supp:print_suppressions=0")

option(HUSHWIRE_WERROR "Treat warnings as errors" OFF)
if(HUSHWIRE_WERROR)
    target_compile_options(hw_compile_options INTERFACE -Werror)
endif()

# hw_add_library(<name> <dir> [LIBS ...]): a static library of every .cpp in <dir> (not recursive).
function(hw_add_library name dir)
    cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
    file(GLOB _src CONFIGURE_DEPENDS ${dir}/*.cpp ${dir}/*.h)
    file(GLOB _cpp CONFIGURE_DEPENDS ${dir}/*.cpp)
    if(NOT _cpp)
        # A folder whose code is still to come builds as an empty library.
        set(_empty ${CMAKE_CURRENT_BINARY_DIR}/${name}_empty.cpp)
        file(WRITE ${_empty} "namespace {}\n")
        list(APPEND _src ${_empty})
    endif()
    add_library(${name} STATIC ${_src})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${name} PUBLIC hw_compile_options ${ARG_LIBS})
endfunction()
