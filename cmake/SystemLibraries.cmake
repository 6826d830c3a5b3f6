# Debian's JUCE leaves out its bundled codecs and image libraries; on Linux they come from the
# system through pkg-config. JUCE for macOS keeps its own, and its web requests need no curl.
add_library (selvandrine_system_libraries INTERFACE)

if (NOT APPLE)
    find_package (PkgConfig REQUIRED)
    pkg_check_modules (SELVANDRINE_SYSTEM_LIBS REQUIRED IMPORTED_TARGET
        flac vorbis vorbisfile vorbisenc ogg libpng libjpeg zlib libcurl)
    target_link_libraries (selvandrine_system_libraries INTERFACE PkgConfig::SELVANDRINE_SYSTEM_LIBS)
endif()
