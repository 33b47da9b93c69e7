# SPDX-License-Identifier: MIT
"""Plays a video URL with GStreamer (souphttpsrc, so libsoup's HTTP stack) into a fake sink,
seeks to the given second once it has started, and plays on to the end of the stream.
Prints where the seek landed; exits 1 on any error message of the pipeline."""
import sys

import gi

gi.require_version("Gst", "1.0")
from gi.repository import Gst  # noqa: E402


def main() -> int:
    url, target = sys.argv[1], float(sys.argv[2])
    Gst.init(None)
    pipeline = Gst.parse_launch(
        f'souphttpsrc location="{url}" ! qtdemux ! avdec_h264 ! fakesink name=sink sync=false'
    )
    bus = pipeline.get_bus()
    pipeline.set_state(Gst.State.PAUSED)
    if pipeline.get_state(20 * Gst.SECOND)[0] != Gst.StateChangeReturn.SUCCESS:
        print("error: the pipeline did not preroll", file=sys.stderr)
        return 1
    flags = Gst.SeekFlags.FLUSH | Gst.SeekFlags.ACCURATE
    if not pipeline.seek_simple(Gst.Format.TIME, flags, int(target * Gst.SECOND)):
        print("error: the seek was refused", file=sys.stderr)
        return 1
    pipeline.get_state(20 * Gst.SECOND)
    landed = pipeline.query_position(Gst.Format.TIME)[1] / Gst.SECOND
    print(f"landed at {landed:.2f}")
    pipeline.set_state(Gst.State.PLAYING)
    message = bus.timed_pop_filtered(60 * Gst.SECOND, Gst.MessageType.EOS | Gst.MessageType.ERROR)
    pipeline.set_state(Gst.State.NULL)
    if message is None:
        print("error: no end of stream within 60 s", file=sys.stderr)
        return 1
    if message.type == Gst.MessageType.ERROR:
        error, debug = message.parse_error()
        print(f"error: {error.message} ({debug})", file=sys.stderr)
        return 1
    print("end of stream")
    return 0


if __name__ == "__main__":
    sys.exit(main())
