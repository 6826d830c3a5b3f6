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
    tests/RealtimeTests.cpp)

# Like JUCE's own format wrappers: see the module headers without compiling the modules again.
target_include_directories (SelvandrineTests PRIVATE
    $<TARGET_PROPERTY:SelvandrineCompressor,INCLUDE_DIRECTORIES>
    "${CMAKE_SOURCE_DIR}/Source"
    "${CMAKE_SOURCE_DIR}/tests")
target_compile_options (SelvandrineTests PRIVATE -ffp-contract=off)
target_link_libraries (SelvandrineTests PRIVATE SelvandrineCompressor GTest::gtest)

gtest_discover_tests (SelvandrineTests DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60)
