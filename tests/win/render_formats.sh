#!/bin/bash
# Files through the wrapper in one batch with host bypass: every lossless format
# comes back sample for sample, in its own format; 64-bit floats come back as
# the nearest 32-bit floats; MP3 and Ogg are accepted; integer outputs carry the
# nearest step of what the plug-in returned.
source "$(dirname "$0")/render_test_lib.sh"
mkdir "$T/in" "$T/out"

# Full-scale extremes, silence, noise, and for float files values beyond full
# scale, tiny ones and -0.0, each in the container and sample format named.
py "
import numpy as np, soundfile as sf
rng = np.random.default_rng(7)
def signal(frames, channels, kind):
    x = rng.uniform(-1, 1, (frames, channels))
    x[:4] = [[-1.0] * channels, [1.0 - 2.0 ** -23] * channels, [0.0] * channels, [-0.0] * channels]
    if kind.startswith('float'):
        x[4:8] = [[1.5] * channels, [-7.25] * channels, [1e-30] * channels, [-3e-39] * channels]
    return x
cases = [('wav', 'PCM_16', 44100), ('wav', 'PCM_24', 48000), ('wav', 'FLOAT', 96000),
         ('wav', 'DOUBLE', 44100), ('flac', 'PCM_16', 22050), ('flac', 'PCM_24', 88200),
         ('aiff', 'PCM_16', 44100), ('aiff', 'PCM_24', 32000), ('aiff', 'FLOAT', 44100),
         ('aiff', 'DOUBLE', 48000)]
for ext, subtype, rate in cases:
    for channels in (1, 2):
        kind = subtype.lower()
        x = signal(5003, channels, kind)
        if subtype == 'DOUBLE':
            x = x.astype(np.float32).astype(np.float64)  # values the plug-in can carry
        sf.write(f'$T/in/{kind}-{channels}ch-{rate}.{ext}', x.astype(np.float32) if subtype != 'DOUBLE' else x,
                 rate, subtype=subtype)
fine = signal(3001, 2, 'float') + 1e-12  # finer than 32-bit floats
sf.write('$T/in/finer-double.wav', fine, 44100, subtype='DOUBLE')
sf.write('$T/in/lossy.ogg', signal(20000, 2, 'pcm') * 0.5, 44100, subtype='VORBIS')
sf.write('$T/in/lossy.mp3', signal(20000, 1, 'pcm') * 0.5, 44100, subtype='MPEG_LAYER_III')
"
bash "$RENDER" --plugin "$DLL" --bypass "$T"/in/* "$T/out/" >"$T/summary" 2>"$T/err"
[ $? -eq 0 ] && grep -qx "rendered 23, skipped 0, failed 0" "$T/summary" && [ ! -s "$T/err" ] &&
  pass "one batch renders all 23 files" || flunk "batch: $(cat "$T/summary" "$T/err")"

py "
import glob, os, sys, numpy as np, soundfile as sf
bad = []
for path in sorted(glob.glob('$T/in/*')):
    name = os.path.basename(path)
    out = '$T/out/' + name
    a, b = sf.info(path), sf.info(out)
    if (b.format, b.subtype, b.samplerate, b.channels) != (a.format, a.subtype, a.samplerate, 2):
        bad.append(f'{name}: {b.format} {b.subtype} {b.samplerate} Hz {b.channels} ch')
        continue
    kind = {'PCM_16': 'int16', 'PCM_24': 'int32', 'FLOAT': 'float32'}.get(a.subtype, 'float64')
    x, _ = sf.read(path, dtype=kind, always_2d=True)
    y, _ = sf.read(out, dtype=kind, always_2d=True)
    if name == 'finer-double.wav':
        x = x.astype(np.float32).astype(np.float64)  # the one lossy step
    want = np.ascontiguousarray(np.repeat(x, 2, axis=1) if x.shape[1] == 1 else x)
    if a.format in ('OGG', 'MP3'):
        ok = abs(len(y) - len(x)) < 4096
    else:
        ok = want.shape == y.shape and np.array_equal(want.view(np.uint8), np.ascontiguousarray(y).view(np.uint8))
    if not ok:
        bad.append(name)
print('\n'.join(bad))
sys.exit(1 if bad else 0)" >"$T/bad" &&
  pass "host bypass is bit for bit in WAV, FLAC, AIFF (16, 24, float; 64-bit as its nearest floats), format, rate and length kept" ||
  flunk "bypass changed: $(tr '\n' ' ' <"$T/bad")"

# Without bypass, a 16-bit output is the plug-in's float output rounded to the nearest step.
py "
import numpy as np, soundfile as sf
x = np.random.default_rng(3).uniform(-1, 1, (30000, 2))
sf.write('$T/loud.wav', x, 44100, subtype='PCM_16')
sf.read('$T/loud.wav', dtype='float32')[0].astype('<f4').tofile('$T/loud.raw')"
host --in "$T/loud.raw" --out "$T/loud-out.raw" --rate 44100 --set "Makeup=+6 dB"
bash "$RENDER" --plugin "$DLL" --set "Makeup=+6 dB" "$T/loud.wav" "$T/loud-out.wav"
py "
import sys, numpy as np, soundfile as sf
y = np.fromfile('$T/loud-out.raw', dtype='<f4').reshape(-1, 2).astype(np.float64)
want = np.clip(np.rint(y * 32768), -32768, 32767)
got = sf.read('$T/loud-out.wav', dtype='int16')[0]
sys.exit(0 if np.array_equal(got, want) else 1)" &&
  pass "a 16-bit output holds the nearest step of every sample the plug-in returned" ||
  flunk "16-bit output is not the plug-in's output rounded to nearest"
finish
