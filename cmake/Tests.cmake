# Unit tests link the plug-in's shared code, so the code under test is the code that ships.
# Which programs a build makes depends on its sanitizers (see tools/test.sh):
#   none              every program, the real-time test included
#   address,undefined every program but the real-time test, and the state fuzzer as a test
#   thread            the threading tests alone
find_package (GTest REQUIRED)
include (GoogleTest)

# A test program of the given sources on the shared code, its tests registered one by one.
function (selvandrine_add_test_program name)
    add_executable (${name} tests/helpers/TestMain.cpp ${ARGN})

    # Like JUCE's own format wrappers: see the module headers without compiling the modules again.
    target_include_directories (${name} PRIVATE
        $<TARGET_PROPERTY:SelvandrineCompressor,INCLUDE_DIRECTORIES>
        "${CMAKE_SOURCE_DIR}/Source"
        "${CMAKE_SOURCE_DIR}/tests")
    target_compile_options (${name} PRIVATE -ffp-contract=off)
    target_compile_definitions (${name} PRIVATE SELVANDRINE_FUZZ_CORPUS="${CMAKE_SOURCE_DIR}/tests/fuzz/corpus")
    target_link_libraries (${name} PRIVATE SelvandrineCompressor GTest::gtest)

    gtest_discover_tests (${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60)
endfunction()

# Editor, host-thread parameter changes and state save and restore, each while audio runs.
selvandrine_add_test_program (SelvandrineThreadingTests
    tests/helpers/MessageLoop.cpp
    tests/ThreadingTests.cpp)

if (NOT SELVANDRINE_SANITIZERS MATCHES "thread")
    selvandrine_add_test_program (SelvandrineTests
        tests/helpers/MessageLoop.cpp
        tests/helpers/LoopbackHttpServer.cpp
        tests/ProcessorShellTests.cpp
        tests/TransferCurveTests.cpp
        tests/DetectorTests.cpp
        tests/StateTests.cpp
        tests/VersionCheckTests.cpp
        tests/LookAndFeelTests.cpp
        tests/EditorTests.cpp
        tests/PaintTests.cpp)
    target_compile_definitions (SelvandrineTests PRIVATE SELVANDRINE_IMAGE_FOLDER="${CMAKE_BINARY_DIR}/editor-images")

    # The probe replaces malloc, free, operator new and delete and pthread_mutex_lock; sanitizer
    # runtimes replace them too, so the real-time test runs in the build without sanitizers only.
    if (NOT SELVANDRINE_SANITIZERS)
        selvandrine_add_test_program (SelvandrineRealtimeTests
            tests/helpers/RealtimeProbe.cpp
            tests/RealtimeTests.cpp)
        target_link_libraries (SelvandrineRealtimeTests PRIVATE ${CMAKE_DL_LIBS})
    endif()

    # The state fuzzer of a fuzzing build runs here over the kept inputs and a fixed number of
    # mutations from a fixed seed; tools/run-state-fuzzer.sh fuzzes open-ended.
    set (SELVANDRINE_FUZZ_RUNS 60000 CACHE STRING "How many inputs the fuzzing test tries")
    if (SELVANDRINE_FUZZING)
        add_test (NAME StateFuzzing
                  COMMAND "${CMAKE_SOURCE_DIR}/tests/fuzz/replay-and-mutate.sh" $<TARGET_FILE:SelvandrineStateFuzzer>
                          "${CMAKE_SOURCE_DIR}/tests/fuzz/corpus" "${SELVANDRINE_FUZZ_RUNS}"
                          "${CMAKE_BINARY_DIR}/fuzz-artefacts")
        set_tests_properties (StateFuzzing PROPERTIES TIMEOUT 600)

        add_test (NAME StateFuzzingWithoutFixedAddresses
                  COMMAND "${CMAKE_SOURCE_DIR}/tests/fuzz/without-fixed-addresses.sh" $<TARGET_FILE:SelvandrineStateFuzzer>
                          "${CMAKE_SOURCE_DIR}/tests/fuzz/corpus" 2000 "${CMAKE_BINARY_DIR}/fuzz-artefacts-random-addresses")
    endif()

    include (cmake/HostTests.cmake)
    include (cmake/LilvHostTests.cmake)
    include (cmake/Lv2InstanceTests.cmake)
    include (cmake/StandaloneTests.cmake)
endif()
