# JUCE's LV2 client declares every effect as a plain lv2:Plugin; hosts sort by class, so the
# bundle's description also names the compressor class.
add_custom_command (TARGET SelvandrineCompressor_LV2 POST_BUILD
    COMMAND "${CMAKE_COMMAND}"
            -D "TTL_FILE=$<TARGET_FILE_DIR:SelvandrineCompressor_LV2>/dsp.ttl"
            -D "PLUGIN_URI=${PLUGIN_LV2_URI}"
            -P "${CMAKE_CURRENT_LIST_DIR}/AddLv2Class.cmake"
    VERBATIM)
