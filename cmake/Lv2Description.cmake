# JUCE's LV2 client writes a description that hosts misread in two places; the bundle's dsp.ttl
# is corrected after every build (see CorrectLv2Description.cmake).
add_custom_command (TARGET SelvandrineCompressor_LV2 POST_BUILD
    COMMAND "${CMAKE_COMMAND}"
            -D "TTL_FILE=$<TARGET_FILE_DIR:SelvandrineCompressor_LV2>/dsp.ttl"
            -D "PLUGIN_URI=${PLUGIN_LV2_URI}"
            -P "${CMAKE_CURRENT_LIST_DIR}/CorrectLv2Description.cmake"
    VERBATIM)
