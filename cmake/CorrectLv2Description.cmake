# Corrects the bundle description that JUCE's LV2 client generates, so that what hosts read is
# true and lv2_validate finds no error. Running it again changes nothing.
#
# dsp.ttl
# - JUCE declares every effect a plain lv2:Plugin; hosts sort by class, so the compressor class is
#   added, and doap:Project, the class that doap:maintainer and doap:release describe.
# - The maker's e-mail is written as <address>, a link relative to the file, or as <> when none is
#   set: it becomes a mailto: address, or is left out.
# - The decibel parameters (DECIBEL_PARAMETERS, comma-separated ids) get their unit.
# - A choice parameter's scale points are written at normalised values (0, 0.5, 1) over a range of
#   choice indices (0 to 2), so hosts name and set the wrong choice; each point gets its index. The
#   values are indices, so the range is atom:Int and hosts step through them. lv2:portProperty
#   belongs to ports: the parameter's lv2:enumeration is dropped.
# manifest.ttl
# - A processor without programs still reports one, nameless, which JUCE writes as a preset that
#   sets an undeclared state key; nameless presets are dropped.
# ui.ttl
# - ui:noUserResize is a feature, not extension data; opts:interface is extension data, not a feature.
cmake_minimum_required (VERSION 3.22)

string (REPLACE "," ";" decibelParameters "${DECIBEL_PARAMETERS}")

# Gives each "rdf:value" in the text its index, in order.
function (number_scale_points text result)
    set (numbered "")
    set (index 0)

    while (TRUE)
        string (FIND "${text}" "rdf:value " at)
        if (at EQUAL -1)
            break()
        endif()

        math (EXPR valueStart "${at} + 10")
        string (SUBSTRING "${text}" 0 ${valueStart} head)
        string (SUBSTRING "${text}" ${valueStart} -1 text)
        string (FIND "${text}" " " valueEnd)
        string (SUBSTRING "${text}" ${valueEnd} -1 text)
        string (APPEND numbered "${head}${index}")
        math (EXPR index "${index} + 1")
    endwhile()

    set (${result} "${numbered}${text}" PARENT_SCOPE)
endfunction()

# One parameter's statement, from "plug:<id>" to its final " .".
function (correct_parameter id text result)
    string (FIND "${text}" "lv2:scalePoint [" points)
    if (NOT points EQUAL -1)
        number_scale_points ("${text}" text)
        string (REGEX REPLACE "\tlv2:portProperty [^;]*;\n" "" text "${text}")
        string (REPLACE "rdfs:range atom:Float ;" "rdfs:range atom:Int ;" text "${text}")
    endif()

    string (FIND "${text}" "units:unit" unit)
    if (id IN_LIST decibelParameters AND unit EQUAL -1)
        string (REPLACE "\trdfs:range atom:Float ;\n" "\trdfs:range atom:Float ;\n\tunits:unit units:db ;\n" text "${text}")
    endif()

    set (${result} "${text}" PARENT_SCOPE)
endfunction()

function (correct_dsp ttl result)
    set (corrected "")

    # JUCE writes each parameter as one statement without blank lines, followed by one.
    while (TRUE)
        string (REGEX MATCH "plug:([A-Za-z0-9_]+)\n\ta lv2:Parameter ;\n" header "${ttl}")
        if (header STREQUAL "")
            break()
        endif()

        set (id "${CMAKE_MATCH_1}")
        string (FIND "${ttl}" "${header}" start)
        string (SUBSTRING "${ttl}" 0 ${start} before)
        string (SUBSTRING "${ttl}" ${start} -1 ttl)
        string (FIND "${ttl}" "\n\n" end)
        string (SUBSTRING "${ttl}" 0 ${end} parameter)
        string (SUBSTRING "${ttl}" ${end} -1 ttl)

        correct_parameter ("${id}" "${parameter}" parameter)
        string (APPEND corrected "${before}${parameter}")
    endwhile()

    string (APPEND corrected "${ttl}")

    string (REGEX MATCH "\t\tfoaf:mbox <([^>]*)> ;\n" mbox "${corrected}")
    set (address "${CMAKE_MATCH_1}")
    if (NOT mbox STREQUAL "" AND NOT address MATCHES "^mailto:")
        if (address STREQUAL "")
            string (REPLACE "${mbox}" "" corrected "${corrected}")
        else()
            string (REPLACE "${mbox}" "\t\tfoaf:mbox <mailto:${address}> ;\n" corrected "${corrected}")
        endif()
    endif()

    set (classes "\n<${PLUGIN_URI}>\n\ta lv2:CompressorPlugin , doap:Project .\n")
    string (FIND "${corrected}" "${classes}" found)
    if (found EQUAL -1)
        string (APPEND corrected "${classes}")
    endif()

    set (${result} "${corrected}" PARENT_SCOPE)
endfunction()

function (correct_manifest ttl result)
    string (REGEX REPLACE "<[^>\n]*>\n\ta pset:Preset ;\n\tlv2:appliesTo <[^>\n]*> ;\n\trdfs:label \"\" ;\n\tstate:state \\[[^\n]*\\] \\.\n\n?"
            "" ttl "${ttl}")
    set (${result} "${ttl}" PARENT_SCOPE)
endfunction()

function (correct_ui ttl result)
    # The extension data list comes first, then the required and the optional features.
    string (FIND "${ttl}" "\tlv2:optionalFeature\n" optional)
    string (SUBSTRING "${ttl}" 0 ${optional} head)
    string (SUBSTRING "${ttl}" ${optional} -1 tail)
    string (REPLACE "\t\tui:noUserResize ,\n" "" head "${head}")
    string (REPLACE "\t\topts:interface ,\n" "" tail "${tail}")
    set (${result} "${head}${tail}" PARENT_SCOPE)
endfunction()

foreach (name dsp manifest ui)
    set (file "${BUNDLE_DIR}/${name}.ttl")
    file (READ "${file}" ttl)
    cmake_language (CALL correct_${name} "${ttl}" corrected)

    if (NOT corrected STREQUAL ttl)
        file (WRITE "${file}" "${corrected}")
    endif()
endforeach()
