# Instrumented builds, each in a tree of its own (scripts/test --sanitize, scripts/fuzz).
option(SPANWELL_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
option(SPANWELL_FUZZ "Also build the fuzz targets as libFuzzer programs (Clang only)" OFF)

set(SPANWELL_LIBFUZZER OFF)
if(SPANWELL_FUZZ)
    if(CMAKE_CXX_COMPILER_ID MATCHES "Clang")
        set(SPANWELL_LIBFUZZER ON)
    else()
        message(WARNING "libFuzzer needs Clang; only the corpus replays are built")
    endif()
endif()

if(SPANWELL_SANITIZE OR SPANWELL_LIBFUZZER)
    # GCC leaves float-cast-overflow out of "undefined"; a first report ends the program, so
    # that no finding scrolls by unnoticed.
    set(sanitizers -fsanitize=address,undefined,float-cast-overflow -fno-sanitize-recover=all
        -fno-omit-frame-pointer)
    add_compile_options(${sanitizers})
    add_link_options(${sanitizers})
endif()
if(SPANWELL_LIBFUZZER)
    # Coverage feedback from all of our code, not only from the fuzz targets themselves.
    add_compile_options(-fsanitize=fuzzer-no-link)
endif()
