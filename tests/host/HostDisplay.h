#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

namespace host_testing
{
    /**
        Sets Xlib up as a host application's JUCE does (this program is no JUCE application, so
        its JUCE leaves that out): thread support, and X errors ignored rather than ending the
        process, as a window's requests for atoms that only a window manager makes do under Xvfb.
        Call before anything else talks to X.
    */
    void setUpXlibAsHostsDo();

    /**
        What the X server shows for the component's area, read back from the server as a
        screenshot is, so that a plug-in's window embedded in it shows too. An invalid image when
        the component is not on the desktop or the server can't be reached.
    */
    juce::Image captureFromScreen (juce::Component&);
}
