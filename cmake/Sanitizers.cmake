# SELVANDRINE_SANITIZERS, e.g. "address,undefined" or "thread": instruments everything that is
# compiled, JUCE included, so that reports point into whole call stacks.
set (SELVANDRINE_SANITIZERS "" CACHE STRING "Comma-separated sanitizers for a checking build")
option (SELVANDRINE_FUZZING "Build the libFuzzer targets (clang)" OFF)

set (selvandrine_instrumentation "")
if (SELVANDRINE_SANITIZERS)
    string (APPEND selvandrine_instrumentation " -fsanitize=${SELVANDRINE_SANITIZERS} -fno-omit-frame-pointer -fno-sanitize-recover=all")
endif()
if (SELVANDRINE_FUZZING)
    string (APPEND selvandrine_instrumentation " -fsanitize=fuzzer-no-link")
endif()

if (selvandrine_instrumentation)
    string (APPEND CMAKE_C_FLAGS "${selvandrine_instrumentation}")
    string (APPEND CMAKE_CXX_FLAGS "${selvandrine_instrumentation}")
    if (SELVANDRINE_SANITIZERS)
        string (APPEND CMAKE_EXE_LINKER_FLAGS " -fsanitize=${SELVANDRINE_SANITIZERS}")
        string (APPEND CMAKE_SHARED_LINKER_FLAGS " -fsanitize=${SELVANDRINE_SANITIZERS}")
        string (APPEND CMAKE_MODULE_LINKER_FLAGS " -fsanitize=${SELVANDRINE_SANITIZERS}")
    endif()
endif()

# JUCE links the plug-in modules with --no-undefined. In a checking build their sanitizer and
# coverage symbols come from the runtime in the process that loads them (the host tests, JUCE's
# LV2 description helper), so there that check is lifted.
function (selvandrine_allow_sanitizer_runtime_from_host)
    if (SELVANDRINE_SANITIZERS OR SELVANDRINE_FUZZING)
        foreach (target IN LISTS ARGN)
            target_link_options (${target} PRIVATE "-Wl,-z,undefs")
        endforeach()
    endif()
endfunction()
