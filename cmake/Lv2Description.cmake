# JUCE's LV2 client writes a description that hosts misread and lv2_validate rejects; the bundle's
# .ttl files are corrected after every build (see CorrectLv2Description.cmake). The correction
# names the processor's decibel parameters, which JUCE describes without a unit.
set (selvandrine_lv2_correction "${CMAKE_CURRENT_LIST_DIR}/CorrectLv2Description.cmake")

add_custom_command (TARGET SelvandrineCompressor_LV2 POST_BUILD
    COMMAND "${CMAKE_COMMAND}"
            -D "BUNDLE_DIR=$<TARGET_FILE_DIR:SelvandrineCompressor_LV2>"
            -D "PLUGIN_URI=${PLUGIN_LV2_URI}"
            -D "DECIBEL_PARAMETERS=topValue,midValue,lowValue,gain"
            -P "${selvandrine_lv2_correction}"
    VERBATIM)

# A changed correction relinks the bundle, which writes and corrects the description anew.
set_property (TARGET SelvandrineCompressor_LV2 APPEND PROPERTY LINK_DEPENDS "${selvandrine_lv2_correction}")
