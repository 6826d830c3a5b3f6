# Debian's JUCE leaves out its bundled codecs and image libraries; they come from the system.
find_package (PkgConfig REQUIRED)
pkg_check_modules (SELVANDRINE_SYSTEM_LIBS REQUIRED IMPORTED_TARGET
    flac vorbis vorbisfile vorbisenc ogg libpng libjpeg zlib libcurl)

add_library (selvandrine_system_libraries INTERFACE)
target_link_libraries (selvandrine_system_libraries INTERFACE PkgConfig::SELVANDRINE_SYSTEM_LIBS)
