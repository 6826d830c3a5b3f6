# Appends the compressor class to the generated plug-in description, once.
file (READ "${TTL_FILE}" ttl)
string (FIND "${ttl}" "lv2:CompressorPlugin" found)
if (found EQUAL -1)
    file (APPEND "${TTL_FILE}" "\n<${PLUGIN_URI}>\n\ta lv2:CompressorPlugin .\n")
endif()
