#pragma once

#include "PluginEditor.h"

#include <cstdlib>

namespace testing_support
{
    /** The editor's own drawing, without its children, on a transparent 800 x 520 image. */
    inline juce::Image paintEditor (CompressorAudioProcessorEditor& editor)
    {
        juce::Image image (juce::Image::ARGB, editor.getWidth(), editor.getHeight(), true);
        juce::Graphics g (image);
        editor.paint (g);
        return image;
    }

    /** What the window shows: the editor with its controls on top. Paints the editor once. */
    inline juce::Image snapshotEditor (CompressorAudioProcessorEditor& editor)
    {
        return editor.createComponentSnapshot (editor.getLocalBounds(), true, 1.0f);
    }

    /** Writes a PNG into the build folder's editor-images, for a person to look at. */
    inline void saveImage (const juce::Image& image, const juce::String& name)
    {
        const auto folder = juce::File (SELVANDRINE_IMAGE_FOLDER);
        folder.createDirectory();
        const auto file = folder.getChildFile (name + ".png");
        file.deleteFile();
        juce::FileOutputStream stream (file);
        juce::PNGImageFormat().writeImageToStream (image, stream);
    }

    /** Equal to within the renderer's rounding of blended colours. */
    inline bool near (juce::Colour a, juce::Colour b, int tolerance = 2)
    {
        return std::abs (a.getRed() - b.getRed()) <= tolerance && std::abs (a.getGreen() - b.getGreen()) <= tolerance
            && std::abs (a.getBlue() - b.getBlue()) <= tolerance && std::abs (a.getAlpha() - b.getAlpha()) <= tolerance;
    }
}
