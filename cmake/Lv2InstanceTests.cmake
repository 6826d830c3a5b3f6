# JUCE's LV2 client built into a test program, as the LV2 bundle holds it, so that the tests can
# free instances through the LV2 interface while they hold the plug-in's message thread or its
# tick. The program, like an LV2 host, leaves JUCE to the instances.
add_executable (SelvandrineLv2InstanceTests
    tests/lv2/UridMap.cpp
    tests/lv2/InstanceLifetimeTests.cpp)

target_include_directories (SelvandrineLv2InstanceTests PRIVATE
    $<TARGET_PROPERTY:SelvandrineCompressor,INCLUDE_DIRECTORIES>
    "${CMAKE_SOURCE_DIR}/Source"
    "${CMAKE_SOURCE_DIR}/tests")

target_link_libraries (SelvandrineLv2InstanceTests PRIVATE
    SelvandrineCompressor
    juce::juce_audio_plugin_client_LV2
    GTest::gtest_main)

gtest_discover_tests (SelvandrineLv2InstanceTests DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60)
