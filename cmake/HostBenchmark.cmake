# The host benchmark: this project's compressor, an empty plug-in built the same way (the floor of
# the host and format wrapper) and Debian's compressor plug-ins, all loaded through JUCE's format
# manager. Built by default so CI compiles it; run by hand through tools/run-host-benchmark.sh.

# The floor. Never installed: tools/build.sh builds and copies the compressor's targets only.
set (PASSTHROUGH_LV2_URI "${SELVANDRINE_WEBSITE}/plugins/benchmark-passthrough")

juce_add_plugin (SelvandrinePassThrough
    PRODUCT_NAME             "Selvandrine Pass-Through"
    PLUGIN_NAME              "Selvandrine Pass-Through"
    DESCRIPTION              "Does nothing; the host benchmark's floor"
    COMPANY_NAME             "${PLUGIN_COMPANY}"
    COMPANY_WEBSITE          "${SELVANDRINE_WEBSITE}"
    BUNDLE_ID                "${PLUGIN_BUNDLE_ID}.passthrough"
    PLUGIN_MANUFACTURER_CODE ${PLUGIN_MANUFACTURER}
    PLUGIN_CODE              SLVP
    VERSION                  ${PROJECT_VERSION}
    IS_SYNTH                 FALSE
    NEEDS_MIDI_INPUT         FALSE
    NEEDS_MIDI_OUTPUT        FALSE
    IS_MIDI_EFFECT           FALSE
    NEEDS_CURL               TRUE
    NEEDS_WEB_BROWSER        FALSE
    VST3_CATEGORIES          Fx
    LV2URI                   "${PASSTHROUGH_LV2_URI}"
    COPY_PLUGIN_AFTER_BUILD  FALSE
    FORMATS                  VST3 LV2)

target_sources (SelvandrinePassThrough PRIVATE bench/floor/PassThroughProcessor.cpp)

selvandrine_plugin_settings (SelvandrinePassThrough "${PASSTHROUGH_LV2_URI}")

# A host has its own JUCE with the hosting formats on, as the host tests do.
juce_add_console_app (SelvandrineHostBenchmark PRODUCT_NAME "Selvandrine Host Benchmark")

target_sources (SelvandrineHostBenchmark PRIVATE
    bench/host/HostBenchmarkMain.cpp
    bench/host/Contenders.cpp
    bench/host/PassTiming.cpp
    bench/host/PluginHost.cpp
    bench/host/ResultTable.cpp
    bench/TestSignal.cpp
    tests/host/HostSupport.cpp)

target_include_directories (SelvandrineHostBenchmark PRIVATE "${CMAKE_SOURCE_DIR}/tests/host")

target_compile_definitions (SelvandrineHostBenchmark PRIVATE
    JUCE_PLUGINHOST_VST3=1
    JUCE_PLUGINHOST_LV2=1
    JUCE_WEB_BROWSER=0
    JUCE_USE_CURL=0
    JUCE_DISPLAY_SPLASH_SCREEN=0
    SELVANDRINE_VST3_BUNDLE="$<GENEX_EVAL:$<TARGET_PROPERTY:SelvandrineCompressor_VST3,JUCE_PLUGIN_ARTEFACT_FILE>>"
    SELVANDRINE_LV2_BUNDLE="$<GENEX_EVAL:$<TARGET_PROPERTY:SelvandrineCompressor_LV2,JUCE_PLUGIN_ARTEFACT_FILE>>"
    SELVANDRINE_LV2_URI="${PLUGIN_LV2_URI}"
    PASSTHROUGH_VST3_BUNDLE="$<GENEX_EVAL:$<TARGET_PROPERTY:SelvandrinePassThrough_VST3,JUCE_PLUGIN_ARTEFACT_FILE>>"
    PASSTHROUGH_LV2_BUNDLE="$<GENEX_EVAL:$<TARGET_PROPERTY:SelvandrinePassThrough_LV2,JUCE_PLUGIN_ARTEFACT_FILE>>"
    PASSTHROUGH_LV2_URI="${PASSTHROUGH_LV2_URI}")

target_link_libraries (SelvandrineHostBenchmark PRIVATE
    juce::juce_audio_processors
    selvandrine_system_libraries
    juce::juce_recommended_config_flags
    juce::juce_recommended_warning_flags)

add_dependencies (SelvandrineHostBenchmark
    SelvandrineCompressor_VST3 SelvandrineCompressor_LV2 SelvandrinePassThrough_VST3 SelvandrinePassThrough_LV2)
