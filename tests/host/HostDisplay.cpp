#include "HostDisplay.h"

// After JUCE: Xlib's macros (None, Bool, Status...) would clash with JUCE's names.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <bit>

namespace host_testing
{
    namespace
    {
        juce::uint8 channel (unsigned long pixel, unsigned long mask)
        {
            if (mask == 0)
                return 0;

            const auto value = (pixel & mask) >> std::countr_zero (mask);
            const auto maximum = mask >> std::countr_zero (mask);
            return (juce::uint8) (value * 255 / maximum);
        }

        int ignoreError (::Display*, XErrorEvent*)
        {
            return 0;
        }
    }

    void setUpXlibAsHostsDo()
    {
        XInitThreads();
        XSetErrorHandler (ignoreError);
    }

    juce::Image captureFromScreen (juce::Component& component)
    {
        auto* peer = component.getPeer();

        if (peer == nullptr)
            return {};

        // The host's own connection is JUCE's; this one only reads.
        auto* display = XOpenDisplay (nullptr);

        if (display == nullptr)
            return {};

        const auto area = peer->getComponent().getLocalArea (&component, component.getLocalBounds()).toDouble()
                          * peer->getPlatformScaleFactor();
        const auto physical = area.toNearestInt();
        const auto window = (::Window) (juce::pointer_sized_uint) peer->getNativeHandle();

        XImage* pixels = XGetImage (display, window, physical.getX(), physical.getY(),
                                    (unsigned int) physical.getWidth(), (unsigned int) physical.getHeight(),
                                    AllPlanes, ZPixmap);
        juce::Image image;

        if (pixels != nullptr)
        {
            image = juce::Image (juce::Image::RGB, physical.getWidth(), physical.getHeight(), false);

            for (int y = 0; y < physical.getHeight(); ++y)
                for (int x = 0; x < physical.getWidth(); ++x)
                {
                    const auto pixel = XGetPixel (pixels, x, y);
                    image.setPixelAt (x, y, juce::Colour (channel (pixel, pixels->red_mask),
                                                          channel (pixel, pixels->green_mask),
                                                          channel (pixel, pixels->blue_mask)));
                }

            XDestroyImage (pixels);
        }

        XCloseDisplay (display);
        return image;
    }
}
