# Build settings that every plug-in of this project shares: JUCE's options, exact arithmetic (the
# curves and the detector must come out bit for bit, so the compiler may not fuse or reorder) and
# the libraries.
function (selvandrine_plugin_settings target lv2Uri)
    target_compile_definitions (${target}
        PUBLIC
            # Debian's JUCE defines the LV2 URI as the product name unless it is given here.
            JucePlugin_LV2URI="${lv2Uri}"
            JUCE_WEB_BROWSER=0
            JUCE_USE_CURL=1
            JUCE_VST3_CAN_REPLACE_VST2=0
            JUCE_DISPLAY_SPLASH_SCREEN=0)

    target_compile_options (${target} PRIVATE -ffp-contract=off -fno-fast-math)

    target_link_libraries (${target}
        PRIVATE
            juce::juce_audio_utils
            selvandrine_system_libraries
        PUBLIC
            juce::juce_recommended_config_flags
            juce::juce_recommended_warning_flags)
endfunction()
