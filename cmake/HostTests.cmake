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

target_link_libraries (SelvandrineHostTests PRIVATE
    SelvandrineBinaryData
    juce::juce_audio_utils
    juce::juce_audio_processors
    selvandrine_system_libraries
    GTest::gtest
    juce::juce_recommended_config_flags
    juce::juce_recommended_warning_flags)

add_dependencies (SelvandrineHostTests SelvandrineCompressor_VST3 SelvandrineCompressor_LV2)

gtest_discover_tests (SelvandrineHostTests DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60 NO_PRETTY_VALUES)
