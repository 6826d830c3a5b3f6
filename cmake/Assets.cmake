# The editor's font, compiled into the plug-in. juceaide stores the first file's bytes in the array
# BinaryData::temp_binary_data_0 (its own naming, by position) and exports them under a name made
# from the file name: BinaryData::SulphurPointBold_ttf, with its size BinaryData::SulphurPointBold_ttfSize.
set (SELVANDRINE_FONT_FILE "${CMAKE_CURRENT_LIST_DIR}/../Resources/SulphurPoint-Bold.ttf")

juce_add_binary_data (SelvandrineBinaryData SOURCES "${SELVANDRINE_FONT_FILE}")
set_target_properties (SelvandrineBinaryData PROPERTIES POSITION_INDEPENDENT_CODE ON)

target_link_libraries (SelvandrineCompressor PRIVATE SelvandrineBinaryData)

# JUCE's rule for the arrays watches only its list of inputs; regenerate them when the font changes too.
add_custom_command (OUTPUT "${CMAKE_CURRENT_BINARY_DIR}/juce_binarydata_SelvandrineBinaryData/JuceLibraryCode/BinaryData1.cpp"
                    APPEND DEPENDS "${SELVANDRINE_FONT_FILE}")
