"""Audio files in and out through libsndfile, without a lossy step of our own.

Samples go to the render host as raw 32-bit float stereo frames: float files
bit for bit, integer PCM as the floats libsndfile reads (x / 2^15 for 16-bit,
x / 2^23 for 24-bit, both exact), 64-bit float rounded to the nearest 32-bit
float (the one lossy step, as the plug-in takes 32-bit floats). Outputs keep the
input's container, sample format, byte order and rate; integer PCM gets the
nearest step of each float (so the integers read come back unchanged), clipped
at full scale.
Mono comes in as two equal channels and goes out as stereo.
"""
import contextlib
import io
import os
import re

import numpy as np
import soundfile as sf

CHUNK_FRAMES = 1 << 16
RAW_FRAME = np.dtype("<f4")


class AudioFileError(Exception):
    """One sentence: what is wrong with a file and what to do."""


class Source:
    """What the front end needs to know about one input."""

    def __init__(self, path, info):
        self.path = path
        self.format = info.format
        self.subtype = info.subtype
        self.endian = info.endian
        self.rate = info.samplerate
        self.channels = info.channels
        self.frames = info.frames
        self.extension = os.path.splitext(path)[1]


@contextlib.contextmanager
def quiet_stderr():
    """Keeps the MP3 decoder's own warnings off our one-line reports."""
    saved = os.dup(2)
    with open(os.devnull, "wb") as null:
        os.dup2(null.fileno(), 2)
    try:
        yield
    finally:
        os.dup2(saved, 2)
        os.close(saved)


def _cut_short(sound):
    """True when the header promises more sample data than the file holds
    (libsndfile quietly reads what there is, and says so only in the log it
    wrote while opening the file). A zero or all-ones size is a streaming
    writer's placeholder, not a cut."""
    log = sound.extra_info
    if "> file length" in log:
        return True
    # WAV and AIFF give their data chunk's size, W64 only its whole file's
    # ("riff"); RF64 keeps the frame count in its ds64 chunk.
    sizes = re.findall(r"^\s*(?:data|SSND|riff)\s*:\s*(\d+)\s*\(should be (\d+)\)", log, re.M)
    sizes += [(said, real) for real, said in
              re.findall(r"frame count (\d+) does not match value from 'ds64' chunk of (\d+)", log)]
    return any(int(said) > int(real) and int(said) not in (0, 0xFFFFFFFF) for said, real in sizes)


def probe(path):
    """Checks one input before anything is rendered; raises AudioFileError."""
    if not os.path.lexists(path):
        raise AudioFileError(f"input '{path}' does not exist; give the path of an audio file")
    if os.path.isdir(path):
        raise AudioFileError(f"input '{path}' is a folder; give audio files (a pattern such as '{path.rstrip('/')}/*.wav' names them)")
    if not os.access(path, os.R_OK) or not os.path.isfile(path):
        raise AudioFileError(f"input '{path}' cannot be read; check that it exists and its permissions")
    if os.path.getsize(path) == 0:
        raise AudioFileError(f"input '{path}' is empty (0 bytes); give an audio file")
    try:
        with quiet_stderr(), sf.SoundFile(path) as sound:
            source = Source(path, sound)
            cut = _cut_short(sound)
    except (RuntimeError, sf.LibsndfileError) as error:
        raise AudioFileError(f"'{path}' cannot be read as audio ({_reason(error)}); give a WAV, FLAC, AIFF, "
                             "MP3, Ogg or another file libsndfile reads") from None
    if cut:
        raise AudioFileError(f"'{path}' is cut short (its header promises more audio than the file holds); "
                             "give the complete file")
    if source.channels > 2:
        raise AudioFileError(f"'{path}' has {source.channels} channels and is refused (the compressor is stereo, "
                             "channels are never mixed down); split it into stereo or mono files first")
    if not writable(source):
        raise AudioFileError(f"libsndfile reads '{path}' ({source.format}, {source.subtype}) but cannot write "
                             "that format, and the output keeps the input's format; convert it to WAV or FLAC first")
    return source


def writable(source):
    """Whether libsndfile writes the input's format and sample type: it reads
    more than it writes (MP3 layers I and II, GSM and G.721 WAV, ...)."""
    try:
        with quiet_stderr(), sf.SoundFile(io.BytesIO(), "w", samplerate=source.rate, channels=2, format=source.format,
                                          subtype=source.subtype, endian=source.endian):
            return True
    except (RuntimeError, sf.LibsndfileError, ValueError):
        return False


def _reason(error):
    return str(error).split(": ", 1)[-1].strip().rstrip(".")


def decode(source, raw_path):
    """Writes the input as raw float stereo frames; raises AudioFileError."""
    frames = 0
    try:
        with quiet_stderr(), sf.SoundFile(source.path) as sound, open(raw_path, "wb") as raw:
            for block in sound.blocks(CHUNK_FRAMES, dtype="float32", always_2d=True):
                if block.shape[1] == 1:
                    block = np.repeat(block, 2, axis=1)
                block.astype(RAW_FRAME, copy=False).tofile(raw)
                frames += len(block)
    except (RuntimeError, sf.LibsndfileError) as error:
        raise AudioFileError(f"'{source.path}' is damaged or cut short ({_reason(error)}); give the complete file") from None
    # An MP3 header's length is an estimate; everywhere else fewer frames is a cut file.
    if frames < source.frames and source.format != "MP3":
        raise AudioFileError(f"'{source.path}' is cut short ({frames} of {source.frames} frames); give the complete file")
    return frames


# Integer PCM and its sample width. libsndfile's own float to integer step
# rounds down (a bias of half a step), so these are rounded to nearest here and
# handed over as 32-bit integers, of which libsndfile keeps the top bits exactly.
PCM_BITS = {"PCM_S8": 8, "PCM_U8": 8, "PCM_16": 16, "PCM_24": 24, "PCM_32": 32}


def to_pcm(block, bits):
    """Floats to left-aligned 32-bit integers: nearest step, clipped at full scale.
    Scaling by a power of two is exact; up to 24 bits every step is a float32."""
    steps = block.astype(np.float32 if bits <= 24 else np.float64) * 2.0 ** (bits - 1)
    np.rint(steps, out=steps)
    np.clip(steps, -2.0 ** (bits - 1), 2.0 ** (bits - 1) - 1, out=steps)
    ints = steps.astype(np.int32)
    ints <<= 32 - bits
    return ints


def encode(source, raw_path, out_path):
    """Writes raw float stereo frames into `out_path` in the input's format."""
    bits = PCM_BITS.get(source.subtype)
    with open(raw_path, "rb") as raw, sf.SoundFile(out_path, "w", samplerate=source.rate, channels=2,
                                                    format=source.format, subtype=source.subtype,
                                                    endian=source.endian) as sound:
        while True:
            block = np.fromfile(raw, dtype=RAW_FRAME, count=CHUNK_FRAMES * 2).reshape(-1, 2)
            if not len(block):
                break
            sound.write(to_pcm(block, bits) if bits else block)
