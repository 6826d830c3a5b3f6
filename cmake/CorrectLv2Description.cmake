# Corrects the plug-in description that JUCE's LV2 client generates:
# - it declares every effect a plain lv2:Plugin; hosts sort by class, so the compressor class is added;
# - it writes a choice parameter's scale points at normalised values (0, 0.5, 1) over a range of
#   choice indices (0 to 2), so hosts name and set the wrong choice; each point gets its index.
# Running it again changes nothing.
cmake_minimum_required (VERSION 3.22)

file (READ "${TTL_FILE}" ttl)

set (corrected "")
set (rest "${ttl}")

while (TRUE)
    string (FIND "${rest}" "lv2:scalePoint [" start)
    if (start EQUAL -1)
        break()
    endif()

    # The points of one parameter end with the parameter's statement: "] .".
    string (SUBSTRING "${rest}" 0 ${start} before)
    string (SUBSTRING "${rest}" ${start} -1 rest)
    string (FIND "${rest}" "] ." end)
    math (EXPR end "${end} + 3")
    string (SUBSTRING "${rest}" 0 ${end} points)
    string (SUBSTRING "${rest}" ${end} -1 rest)
    string (APPEND corrected "${before}")

    set (index 0)
    while (TRUE)
        string (FIND "${points}" "rdf:value " at)
        if (at EQUAL -1)
            break()
        endif()

        math (EXPR valueStart "${at} + 10")
        string (SUBSTRING "${points}" 0 ${valueStart} head)
        string (SUBSTRING "${points}" ${valueStart} -1 points)
        string (FIND "${points}" " " valueEnd)
        string (SUBSTRING "${points}" ${valueEnd} -1 points)
        string (APPEND corrected "${head}${index}")
        math (EXPR index "${index} + 1")
    endwhile()

    string (APPEND corrected "${points}")
endwhile()

string (APPEND corrected "${rest}")

string (FIND "${corrected}" "lv2:CompressorPlugin" found)
if (found EQUAL -1)
    string (APPEND corrected "\n<${PLUGIN_URI}>\n\ta lv2:CompressorPlugin .\n")
endif()

if (NOT corrected STREQUAL ttl)
    file (WRITE "${TTL_FILE}" "${corrected}")
endif()
