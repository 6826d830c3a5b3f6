# The lilv host test loads the built LV2 bundle through Debian's lilv, as LV2 hosts such as Ardour
# do, and checks what such a host hears and is told. It does not use JUCE: JUCE's LV2 hosting
# carries its own lilv.
pkg_check_modules (SELVANDRINE_LILV REQUIRED IMPORTED_TARGET lilv-0 lv2)

add_executable (SelvandrineLilvHostTests
    tests/lv2/UridMap.cpp
    tests/lv2/LilvHost.cpp
    tests/lv2/LilvHostTests.cpp)

target_compile_definitions (SelvandrineLilvHostTests PRIVATE
    SELVANDRINE_LV2_BUNDLE="$<GENEX_EVAL:$<TARGET_PROPERTY:SelvandrineCompressor_LV2,JUCE_PLUGIN_ARTEFACT_FILE>>"
    SELVANDRINE_LV2_URI="${PLUGIN_LV2_URI}")

target_link_libraries (SelvandrineLilvHostTests PRIVATE PkgConfig::SELVANDRINE_LILV GTest::gtest_main juce::juce_recommended_warning_flags)

add_dependencies (SelvandrineLilvHostTests SelvandrineCompressor_LV2)

gtest_discover_tests (SelvandrineLilvHostTests DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60)
