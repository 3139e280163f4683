#!/usr/bin/python3
"""Measure the generated sound files: length, peak, RMS, loudness, loop seam; for
everything played over the music, its loudest 400 ms against the menu music at the
music slot's volume; for the level music, its share of energy above 300 Hz.

Run from the repository root:  tools/sound/measure_sounds.py
Decodes each OGG with sox. For the looping files it compares the jump from
the last sample to the first with the ordinary sample-to-sample steps, and
the level just before the seam with the level just after it.
"""

import glob
import os
import subprocess
import sys

import numpy as np

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from make_sounds import MUSIC_SLOT_VOLUME, SR, loudest_400ms, loudness, spectral_filter  # noqa: E402

# looping files and their tempo (a bar is four beats)
LOOPS = {"BGM/menu.ogg": 90, "BGM/normal/normal_1.ogg": 100, "BGM/detect/detected_bgm.ogg": 150,
         "Hackable/MusicComedyThe CTE02_96.1.ogg": 140}


def decode(path):
    raw = subprocess.run(["sox", path, "-t", "f32", "-"], check=True, capture_output=True).stdout
    chans = int(subprocess.run(["soxi", "-c", path], check=True, capture_output=True, text=True).stdout)
    return np.frombuffer(raw, dtype="<f4").astype(np.float64).reshape(-1, chans).T


def dbfs(v):
    return 20 * np.log10(max(v, 1e-9))


def main():
    bad = 0
    menu = decode("ArtAssets/Music/BGM/menu.ogg")
    music = loudness(menu) + 20 * np.log10(MUSIC_SLOT_VOLUME)
    for path in sorted(glob.glob("ArtAssets/Music/**/*.ogg", recursive=True)):
        x = decode(path)
        rel = os.path.relpath(path, "ArtAssets/Music")
        peak = np.max(np.abs(x))
        rms = np.sqrt(np.mean(x ** 2))
        line = "%-58s %6.2f s  peak %6.1f dBFS  rms %6.1f dBFS" % (rel, x.shape[1] / SR, dbfs(peak), dbfs(rms))
        if not rel.startswith("BGM/"):
            top = loudest_400ms(x)
            line += "  loudest 400 ms %5.1f LUFS, %+4.1f dB over the menu music" % (top, top - music)
        if rel == "BGM/normal/normal_1.ogg":
            bins = np.abs(np.fft.rfft(x, axis=1)) ** 2
            freqs = np.fft.rfftfreq(x.shape[1], 1.0 / SR)
            line += "  %.0f%% of its energy above 300 Hz" % (100 * bins[:, freqs >= 300].sum() / bins.sum())
        if rel in LOOPS:
            # The seam is the start of a bar: it must look like every other bar start,
            # with no bigger sample jump and no burst of high-frequency energy (a click).
            bar = 4 * int(round(SR * 60.0 / LOOPS[rel]))
            hf = np.stack([spectral_filter(c, lo=8000, order=4, circular=True) for c in x])
            w = int(0.0025 * SR)

            def at(b):
                step = np.max(np.abs(x[:, b % x.shape[1]] - x[:, b - 1]))
                idx = np.arange(b - w, b + w) % x.shape[1]
                return step, np.sqrt(np.mean(hf[:, idx] ** 2))

            seam_step, seam_hf = at(0)
            others = [at(b) for b in range(bar, x.shape[1], bar)]
            max_step = max(o[0] for o in others)
            max_hf = max(o[1] for o in others)
            line += "  %5.1f LUFS  seam: step %.4f (bar starts up to %.4f), hf %.1f dB (up to %.1f dB)" % (
                loudness(x), seam_step, max_step, dbfs(seam_hf), dbfs(max_hf))
            if x.shape[1] % bar or seam_step > 1.5 * max_step + 0.002 or seam_hf > 1.5 * max_hf + 1e-4:
                line += "  SEAM?"
                bad += 1
        print(line)
    sys.exit(1 if bad else 0)


if __name__ == "__main__":
    main()
