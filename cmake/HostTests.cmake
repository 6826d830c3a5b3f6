# The host test loads the built VST3 and LV2 as a host does and checks what a host sees. A host
# has its own JUCE with the hosting formats on, so this target compiles the modules itself and
# must not link the shared-code library, which holds the plug-in's JUCE; the processor's sources
# are compiled in again as the reference the hosted copies must match.
find_package (GTest REQUIRED)
include (GoogleTest)

# Whatever the shipping processor is built from, and the plug-in's identity and settings as its
# sources see them; the format flags stay out. Read at configure time: as generator expressions
# they would bring the shared code's module sources along and lose this target's module settings.
get_target_property (selvandrine_plugin_sources SelvandrineCompressor SOURCES)
list (FILTER selvandrine_plugin_sources INCLUDE REGEX "^(.*/)?Source/[^/]+\\.cpp$")

get_target_property (selvandrine_plugin_definitions SelvandrineCompressor INTERFACE_COMPILE_DEFINITIONS)
list (FILTER selvandrine_plugin_definitions INCLUDE REGEX "^(JucePlugin_|SELVANDRINE_)")
list (FILTER selvandrine_plugin_definitions EXCLUDE REGEX "^JucePlugin_Build_")

juce_add_console_app (SelvandrineHostTests PRODUCT_NAME "Selvandrine Host Tests")

target_sources (SelvandrineHostTests PRIVATE
    tests/host/HostTestMain.cpp
    tests/host/HostedPlugins.cpp
    tests/host/HostSupport.cpp
    tests/host/HostSignal.cpp
    tests/host/HostedDescriptionTests.cpp
    tests/host/HostedProcessingTests.cpp
    tests/host/HostedStateTests.cpp
    tests/host/HostedEditorTests.cpp
    tests/host/HostDisplay.cpp
    ${selvandrine_plugin_sources})

target_include_directories (SelvandrineHostTests PRIVATE
    "${CMAKE_SOURCE_DIR}/Source"
    "${CMAKE_SOURCE_DIR}/tests/host")

# The same bit-exact arithmetic as the shipping build.
target_compile_options (SelvandrineHostTests PRIVATE -ffp-contract=off -fno-fast-math)

target_compile_definitions (SelvandrineHostTests PRIVATE
    ${selvandrine_plugin_definitions}
    JUCE_PLUGINHOST_VST3=1
    JUCE_PLUGINHOST_LV2=1
    JUCE_WEB_BROWSER=0
    JUCE_USE_CURL=0
    # A host may wait on its message loop.
    JUCE_MODAL_LOOPS_PERMITTED=1
    JUCE_DISPLAY_SPLASH_SCREEN=0
    SELVANDRINE_VST3_BUNDLE="$<GENEX_EVAL:$<TARGET_PROPERTY:SelvandrineCompressor_VST3,JUCE_PLUGIN_ARTEFACT_FILE>>"
    SELVANDRINE_LV2_BUNDLE="$<GENEX_EVAL:$<TARGET_PROPERTY:SelvandrineCompressor_LV2,JUCE_PLUGIN_ARTEFACT_FILE>>"
    SELVANDRINE_LV2_URI="${PLUGIN_LV2_URI}")

# The editor tests read the screen back from the X server, as a screenshot does.
pkg_check_modules (SELVANDRINE_X11 REQUIRED IMPORTED_TARGET x11)

target_link_libraries (SelvandrineHostTests PRIVATE
    PkgConfig::SELVANDRINE_X11
    SelvandrineBinaryData
    juce::juce_audio_utils
    juce::juce_audio_processors
    selvandrine_system_libraries
    GTest::gtest
    juce::juce_recommended_config_flags
    juce::juce_recommended_warning_flags)

add_dependencies (SelvandrineHostTests SelvandrineCompressor_VST3 SelvandrineCompressor_LV2)

set (selvandrine_host_test_environment "LSAN_OPTIONS=suppressions=${CMAKE_SOURCE_DIR}/tests/sanitizers/lsan.supp")

gtest_discover_tests (SelvandrineHostTests DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60 NO_PRETTY_VALUES
                      TEST_FILTER "-HostedEditor.*"
                      PROPERTIES ENVIRONMENT "${selvandrine_host_test_environment}")

# Tests that check what a window shows on the screen take the screen in turn.
gtest_discover_tests (SelvandrineHostTests DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60 NO_PRETTY_VALUES
                      TEST_FILTER "HostedEditor.*"
                      PROPERTIES ENVIRONMENT "${selvandrine_host_test_environment}" RESOURCE_LOCK screen)

# The corrected LV2 bundle against the LV2 vocabularies installed with lv2_validate (packages
# lv2-dev and sordi). lv2_validate splits paths at spaces and skips, without failing, a file it
# cannot open, so it runs in the bundle on the bare file names, and a skipped one fails the test.
add_test (NAME Lv2Bundle.PassesLv2Validate
          COMMAND sh -c "cd \"$0\" && lv2_validate *.ttl"
                  "$<GENEX_EVAL:$<TARGET_PROPERTY:SelvandrineCompressor_LV2,JUCE_PLUGIN_ARTEFACT_FILE>>")
set_tests_properties (Lv2Bundle.PassesLv2Validate PROPERTIES FAIL_REGULAR_EXPRESSION "error:;Skipping file [^/]")

# The hosting side is JUCE's: it calls its bundled LV2 parser's sinks through pointers taking void*
# and the plug-ins' LV2 entry points through a type without their const, which UBSan's function
# check (a check at the caller) reports though every ABI here passes both alike. The plug-ins
# under test and the unit tests keep the check. lilv, bundled in JUCE, leaks when a search loads
# its world a second time; tests/sanitizers/lsan.supp lists those leaks.
if (SELVANDRINE_SANITIZERS MATCHES "undefined")
    target_compile_options (SelvandrineHostTests PRIVATE -fno-sanitize=function)
endif()
