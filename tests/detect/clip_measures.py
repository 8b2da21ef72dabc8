"""Reading and measuring the real-picture corpus's clips: the planar 4:2:2
YUV4MPEG2 files make-logo-corpus.py writes and kestrimo-host reads and
writes, shared by the evaluation scripts beside this file."""
import math
import os
import sys

import numpy as np

# The script's name, for its messages.
TOOL = os.path.splitext(os.path.basename(sys.argv[0]))[0] or "clip-measures"


class Y4m:
    """Reads a planar 4:2:2 YUV4MPEG2 stream one frame at a time."""

    def __init__(self, stream, name):
        self.stream, self.name = stream, name
        self.header = stream.readline()
        fields = self.header.split()
        if not fields or fields[0] != b"YUV4MPEG2":
            raise SystemExit("%s: %s: not YUV4MPEG2" % (TOOL, name))
        tags = {f[:1]: f[1:] for f in fields[1:]}
        if tags.get(b"C", b"420") != b"422":
            raise SystemExit("%s: %s: not 4:2:2 (C422)" % (TOOL, name))
        self.width, self.height = int(tags[b"W"]), int(tags[b"H"])
        self.frame_bytes = self.width * self.height * 2

    def raw(self):
        """The next frame's FRAME line and bytes, or None at the end."""
        line = self.stream.readline()
        if not line:
            return None
        if not line.startswith(b"FRAME"):
            raise SystemExit("%s: %s: a frame without its FRAME line" % (TOOL, self.name))
        data = self.stream.read(self.frame_bytes)
        if len(data) < self.frame_bytes:
            return None
        return line, data

    def frame(self):
        """(Y plane, whole frame bytes) of the next frame, or None."""
        got = self.raw()
        if got is None:
            return None
        y = np.frombuffer(got[1], np.uint8, self.width * self.height)
        return y.reshape(self.height, self.width), got[1]


def frame_rgb(data, width, height):
    """RGB of a planar 4:2:2 frame, with the full-range formula of the host's pictures."""
    n = width * height
    y = np.frombuffer(data, np.uint8, n).reshape(height, width).astype(np.float32)
    u = np.frombuffer(data, np.uint8, n // 2, n).reshape(height, width // 2).astype(np.float32)
    v = np.frombuffer(data, np.uint8, n // 2, n + n // 2).reshape(height, width // 2)
    u = np.repeat(u, 2, axis=1) - 128
    v = np.repeat(v.astype(np.float32), 2, axis=1) - 128
    rgb = np.stack([y + 1.402 * v, y - 0.344136 * u - 0.714136 * v, y + 1.772 * u], axis=-1)
    return np.clip(rgb + 0.5, 0, 255).astype(np.uint8)


def feed(source, sink, frames):
    """Copies the header and the first `frames` frames (all when None) of a
    Y4M file into a pipe."""
    try:
        with open(source, "rb") as clip:
            reader = Y4m(clip, source)
            sink.write(reader.header)
            index = 0
            while frames is None or index < frames:
                got = reader.raw()
                if got is None:
                    break
                sink.write(got[0])
                sink.write(got[1])
                index += 1
    except BrokenPipeError:
        pass
    finally:
        try:
            sink.close()
        except BrokenPipeError:
            pass


def psnr(sse, count):
    if count == 0:
        return None
    if sse == 0:
        return math.inf
    return 10 * math.log10(255.0 ** 2 / (sse / count))


def overlap(a, b):
    """Intersection over union of two boxes (x1, y1 excluded)."""
    ix = max(0, min(a[2], b[2]) - max(a[0], b[0]))
    iy = max(0, min(a[3], b[3]) - max(a[1], b[1]))
    inter = ix * iy
    union = (a[2] - a[0]) * (a[3] - a[1]) + (b[2] - b[0]) * (b[3] - b[1]) - inter
    return inter / union if union else 0.0
