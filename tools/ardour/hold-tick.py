# gdb (non-stop mode) holds JUCE's message thread at the start of the body of the plug-in's
# one-second tick for HOLD_SECONDS, so that the host can delete the instance while the body runs;
# it prints what the tick's processor is when the hold starts and ends, by its vtable: an instance
# still whole is "vtable for CompressorAudioProcessor".
import gdb
import os
import time

hold_seconds = float (os.environ.get ("HOLD_SECONDS", "0.4"))


def describe (address):
    vtable = int (gdb.parse_and_eval ("*(void**) %d" % address))
    return gdb.execute ("info symbol %d" % vtable, to_string=True).strip ()


class HeldTick (gdb.Breakpoint):
    def stop (self):
        timer = int (gdb.parse_and_eval ("$rdi"))
        print ("TICK held %.3f: %s" % (time.monotonic (), describe (timer)), flush=True)
        time.sleep (hold_seconds)
        print ("TICK released %.3f: %s" % (time.monotonic (), describe (timer)), flush=True)
        return False


def on_new_objfile (event):
    if "Selvandrine" in event.new_objfile.filename:
        gdb.events.new_objfile.disconnect (on_new_objfile)
        # The tick's body: the processor's timerCallback, called with the tick's lock held.
        HeldTick ("CompressorAudioProcessor::timerCallback()", internal=True)


gdb.events.new_objfile.connect (on_new_objfile)
