# Unit tests link the plug-in's shared code, so the code under test is the code that ships.
find_package (GTest REQUIRED)
include (GoogleTest)

add_executable (SelvandrineTests
    tests/helpers/TestMain.cpp
    tests/helpers/MessageLoop.cpp
    tests/helpers/AllocationCounter.cpp
    tests/ProcessorShellTests.cpp
    tests/TransferCurveTests.cpp
    tests/DetectorTests.cpp
    tests/RealtimeTests.cpp
    tests/StateTests.cpp
    tests/VersionCheckTests.cpp
    tests/LookAndFeelTests.cpp
    tests/EditorTests.cpp
    tests/PaintTests.cpp
    tests/ThreadingTests.cpp
    tests/helpers/LoopbackHttpServer.cpp)

# Like JUCE's own format wrappers: see the module headers without compiling the modules again.
target_include_directories (SelvandrineTests PRIVATE
    $<TARGET_PROPERTY:SelvandrineCompressor,INCLUDE_DIRECTORIES>
    "${CMAKE_SOURCE_DIR}/Source"
    "${CMAKE_SOURCE_DIR}/tests")
target_compile_options (SelvandrineTests PRIVATE -ffp-contract=off)
target_compile_definitions (SelvandrineTests PRIVATE
    SELVANDRINE_FUZZ_CORPUS="${CMAKE_SOURCE_DIR}/tests/fuzz/corpus"
    SELVANDRINE_IMAGE_FOLDER="${CMAKE_BINARY_DIR}/editor-images")
target_link_libraries (SelvandrineTests PRIVATE SelvandrineCompressor GTest::gtest)

gtest_discover_tests (SelvandrineTests DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60)

# A state fuzzer built by a sanitizer build (see tools/test.sh) runs here for a bounded time.
set (SELVANDRINE_STATE_FUZZER "" CACHE FILEPATH "A built state fuzzer to run as a test")
set (SELVANDRINE_FUZZ_SECONDS 60 CACHE STRING "How long the state fuzzer runs")
if (SELVANDRINE_STATE_FUZZER)
    add_test (NAME StateFuzzing
              COMMAND "${CMAKE_SOURCE_DIR}/tools/run-state-fuzzer.sh" "${SELVANDRINE_STATE_FUZZER}"
                      "${CMAKE_SOURCE_DIR}/tests/fuzz/corpus" "${SELVANDRINE_FUZZ_SECONDS}"
                      "${CMAKE_BINARY_DIR}/fuzz-artefacts")
    set_tests_properties (StateFuzzing PROPERTIES TIMEOUT 600)
endif()
include (cmake/HostTests.cmake)
include (cmake/StandaloneTests.cmake)
