#!/usr/bin/python3
"""Synthesise every music and sound-effect file of the game.

Run from the repository root:  tools/sound/make_sounds.py
Writes OGG Vorbis files under ArtAssets/Music/. Needs numpy (Debian's
python3-numpy, hence /usr/bin/python3), sox, oggenc and espeak-ng.

Everything is deterministic: fixed random seeds, fixed Ogg serial numbers,
no dither. The music loops are rendered circularly (note tails, echoes and
reverb wrap from the end back to the start), so they loop without a seam.
"""

import os
import subprocess
import sys
import tempfile
import wave
import zlib

import numpy as np

SR = 44100
OUT = "ArtAssets/Music"

MUSIC_LUFS = -17.0      # target loudness of the music loops (the level loop sits lower, the alarm higher)
MUSIC_PEAK_DB = -3.5    # ceiling of the music before encoding
EFFECT_PEAK_DB = -1.3   # effects are made at this peak, then capped in loudness:
EFFECT_OVER_MUSIC_DB = 6.0   # the loudest 400 ms of an effect over the menu music as it plays
MUSIC_SLOT_VOLUME = 0.6      # the music slot's volume in the game; effects play at 1.0
VOICE_FADE = 0.12       # seconds over which a voice fades out before its room tail


# ---------------------------------------------------------------- helpers

def midi(n):
    return 440.0 * 2.0 ** ((n - 69) / 12.0)


def db(x):
    return 10.0 ** (x / 20.0)


def env(n, attack, decay, sustain=0.0, release=0.0):
    """Linear attack, exponential decay towards `sustain`, linear release at the end."""
    t = np.arange(n) / SR
    e = np.where(t < attack, t / max(attack, 1e-6), 1.0)
    after = np.maximum(t - attack, 0.0)
    e = e * (sustain + (1.0 - sustain) * np.exp(-after / max(decay, 1e-6)))
    if release > 0:
        r = int(release * SR)
        if r > 0 and r < n:
            e[n - r:] *= np.linspace(1.0, 0.0, r)
    return e


def harmonics(freq, n, amps, decays=None, phase_seed=0, detune=0.0):
    """Sum of partials; amps[k] is the level of partial k+1. Partials above 18 kHz are dropped."""
    t = np.arange(n) / SR
    out = np.zeros(n)
    rng = np.random.default_rng(phase_seed)
    f = freq * (1.0 + detune)
    for k, a in enumerate(amps, start=1):
        if a == 0 or f * k > 18000:
            continue
        p = np.sin(2 * np.pi * f * k * t + rng.uniform(0, 2 * np.pi))
        if decays is not None:
            p *= np.exp(-t / decays[k - 1])
        out += a * p
    return out


def saw_amps(k_max):
    return [1.0 / k for k in range(1, k_max + 1)]


def square_amps(k_max):
    return [(1.0 / k if k % 2 else 0.0) for k in range(1, k_max + 1)]


def spectral_filter(x, lo=None, hi=None, order=2, circular=False):
    """Butterworth-shaped magnitude filter in the frequency domain.

    Circular for loops (the filter wraps around the seam); one-shots are
    zero-padded so nothing folds back into their start."""
    pad = 0 if circular else 8192
    y = np.concatenate([x, np.zeros(pad)]) if pad else x
    bins = np.fft.rfft(y)
    f = np.fft.rfftfreq(len(y), 1.0 / SR)
    g = np.ones_like(f)
    if lo is not None:
        g *= 1.0 / np.sqrt(1.0 + (lo / np.maximum(f, 1e-3)) ** (2 * order))
    if hi is not None:
        g *= 1.0 / np.sqrt(1.0 + (f / hi) ** (2 * order))
    y = np.fft.irfft(bins * g, len(y))
    return y[:len(x)]


def circular_convolve(x, ir):
    n = len(x)
    return np.fft.irfft(np.fft.rfft(x) * np.fft.rfft(ir, n), n)


def reverb_ir(seconds, rt60, seed, bright=6000.0):
    """Exponentially decaying filtered noise: a plain hall tail."""
    rng = np.random.default_rng(seed)
    n = int(seconds * SR)
    noise = rng.standard_normal(n)
    noise = spectral_filter(noise, lo=200, hi=bright)
    t = np.arange(n) / SR
    ir = noise * np.exp(-6.91 * t / rt60)
    ir[:int(0.012 * SR)] *= np.linspace(0, 1, int(0.012 * SR))  # pre-delay softness
    return ir / np.sqrt(np.sum(ir ** 2))


class Loop:
    """A stereo loop buffer; notes that run past the end wrap to the start."""

    def __init__(self, bpm, bars, beats_per_bar=4):
        self.beat = int(round(SR * 60.0 / bpm))
        self.bar = self.beat * beats_per_bar
        self.n = self.bar * bars
        self.buses = {}

    def add(self, bus, sig, beat_pos, pan=0.0, gain=1.0):
        """Place `sig` at `beat_pos` (in beats from the start) on a named bus."""
        if bus not in self.buses:
            self.buses[bus] = np.zeros((2, self.n))
        start = int(round(beat_pos * self.beat)) % self.n
        gains = (gain * np.cos((pan + 1) * np.pi / 4), gain * np.sin((pan + 1) * np.pi / 4))
        buf = self.buses[bus]
        pos = 0
        while pos < len(sig):  # wrap the tail around to the loop start
            at = (start + pos) % self.n
            take = min(len(sig) - pos, self.n - at)
            for ch in (0, 1):
                buf[ch, at:at + take] += gains[ch] * sig[pos:pos + take]
            pos += take

    def samples(self, beats):
        return int(round(beats * self.beat))


def echo_circular(x, delay_samples, feedback, repeats=6):
    out = x.copy()
    for r in range(1, repeats + 1):
        out += (feedback ** r) * np.roll(x, r * delay_samples, axis=-1)
    return out


# ------------------------------------------------------------ loudness

def _biquad_response(b, a, f):
    z = np.exp(-1j * 2 * np.pi * f / SR)
    return (b[0] + b[1] * z + b[2] * z * z) / (a[0] + a[1] * z + a[2] * z * z)


def k_weight(x):
    """K-weighting (shelf + high-pass) applied as a magnitude response."""
    f = np.fft.rfftfreq(len(x), 1.0 / SR)
    # high shelf +4 dB at 1.5 kHz
    A = 10 ** (4.0 / 40)
    w0 = 2 * np.pi * 1500 / SR
    alpha = np.sin(w0) / (2 * (1 / np.sqrt(2)))
    c = np.cos(w0)
    b = [A * ((A + 1) + (A - 1) * c + 2 * np.sqrt(A) * alpha),
         -2 * A * ((A - 1) + (A + 1) * c),
         A * ((A + 1) + (A - 1) * c - 2 * np.sqrt(A) * alpha)]
    a = [(A + 1) - (A - 1) * c + 2 * np.sqrt(A) * alpha,
         2 * ((A - 1) - (A + 1) * c),
         (A + 1) - (A - 1) * c - 2 * np.sqrt(A) * alpha]
    h = _biquad_response(b, a, f)
    # high-pass at 38 Hz
    w0 = 2 * np.pi * 38 / SR
    alpha = np.sin(w0) / (2 * 0.5)
    c = np.cos(w0)
    h *= _biquad_response([(1 + c) / 2, -(1 + c), (1 + c) / 2], [1 + alpha, -2 * c, 1 - alpha], f)
    return np.fft.irfft(np.fft.rfft(x) * np.abs(h), len(x))


def loudness(stereo):
    """Integrated loudness (gated, 400 ms blocks) in LUFS of a (channels, n) array."""
    chans = np.atleast_2d(stereo)
    weighted = [k_weight(c) for c in chans]
    block, hop = int(0.4 * SR), int(0.1 * SR)
    zs = []
    for s in range(0, chans.shape[1] - block + 1, hop):
        zs.append(sum(np.mean(w[s:s + block] ** 2) for w in weighted))
    zs = np.array(zs)
    if len(zs) == 0:
        return -70.0
    lk = -0.691 + 10 * np.log10(np.maximum(zs, 1e-12))
    zs = zs[lk > -70]
    rel = -0.691 + 10 * np.log10(np.mean(zs)) - 10
    lk = -0.691 + 10 * np.log10(np.maximum(zs, 1e-12))
    return -0.691 + 10 * np.log10(np.mean(zs[lk > rel]))


# ------------------------------------------------------------ output

def write_ogg(path, data, quality=3):
    """data: 1-D mono or (2, n) stereo floats in -1..1."""
    data = np.atleast_2d(data)
    pcm = np.clip(np.round(data.T * 32767.0), -32768, 32767).astype("<i2")
    full = os.path.join(OUT, path)
    os.makedirs(os.path.dirname(full), exist_ok=True)
    with tempfile.TemporaryDirectory() as tmp:
        wav = os.path.join(tmp, "in.wav")
        with wave.open(wav, "wb") as w:
            w.setnchannels(data.shape[0])
            w.setsampwidth(2)
            w.setframerate(SR)
            w.writeframes(pcm.tobytes())
        serial = zlib.crc32(path.encode()) & 0x7FFFFFFF
        subprocess.run(["oggenc", "-Q", "-q", str(quality), "--serial", str(serial),
                        "-o", full, wav], check=True)
    print("wrote %-55s %6.2f s" % (full, data.shape[1] / SR))


def normalise_music(mix, lufs=MUSIC_LUFS):
    gain = db(lufs - loudness(mix))
    mix = mix * gain
    peak = np.max(np.abs(mix))
    if peak > db(MUSIC_PEAK_DB):
        mix *= db(MUSIC_PEAK_DB) / peak
    return mix


def normalise_effect(x, peak_db=EFFECT_PEAK_DB):
    return x * (db(peak_db) / np.max(np.abs(x)))


def loudest_400ms(x, weighted=True):
    """Level of the loudest 400 ms of a mono or stereo sound: K-weighted loudness in
    LUFS, or plain mean square in dBFS."""
    chans = np.atleast_2d(x)
    block = int(0.4 * SR)
    padded = [np.concatenate([c, np.zeros(block)]) for c in chans]
    if weighted:
        energy = sum(k_weight(c) ** 2 for c in padded)
    else:
        energy = sum(c ** 2 for c in padded) / len(padded)
    sums = np.concatenate([[0.0], np.cumsum(energy)])
    top = 10 * np.log10(np.max(sums[block:] - sums[:-block]) / block + 1e-20)
    return top - 0.691 if weighted else top


def cap_effect(x, music):
    """Turns an effect down until its loudest 400 ms stand at most EFFECT_OVER_MUSIC_DB
    above the menu music at its slot volume, weighted as the ear hears it and plain;
    quieter effects are left alone."""
    slot = 20 * np.log10(MUSIC_SLOT_VOLUME)
    over = max(loudest_400ms(x) - (loudness(music) + slot),
               loudest_400ms(x, False) - (10 * np.log10(np.mean(music ** 2)) + slot)) - EFFECT_OVER_MUSIC_DB
    return x * db(-over) if over > 0 else x


def fade_edges(x, fade_in=0.002, fade_out=0.01):
    x = x.copy()
    a, b = int(fade_in * SR), int(fade_out * SR)
    if a:
        x[:a] *= np.linspace(0, 1, a)
    if b:
        x[-b:] *= np.linspace(1, 0, b)
    return x


# ------------------------------------------------------------ instruments

def pad(freq, n, seed, bright=8, attack=0.6):
    """Two detuned soft saws with a slow swell."""
    amps = [a * (0.75 ** k) for k, a in enumerate(saw_amps(bright))]
    s = harmonics(freq, n, amps, phase_seed=seed, detune=-0.003)
    s += harmonics(freq, n, amps, phase_seed=seed + 1, detune=0.003)
    return 0.5 * s * env(n, attack, 4.0, sustain=0.7, release=min(0.4, n / SR / 3))


def epiano(freq, n, vel=1.0):
    """Two-operator FM: a soft bell that mellows as it decays."""
    t = np.arange(n) / SR
    index = 1.8 * vel * np.exp(-t / 0.25)
    s = np.sin(2 * np.pi * freq * t + index * np.sin(2 * np.pi * freq * t))
    s += 0.15 * np.sin(2 * np.pi * 4 * freq * t) * np.exp(-t / 0.05)  # tine
    return vel * s * env(n, 0.003, 0.6, release=0.05)


def pluck(freq, n, vel=1.0, tau=0.5):
    k = 12
    amps = [1.0 / (i ** 1.3) for i in range(1, k + 1)]
    decays = [tau / (1 + 0.6 * (i - 1)) for i in range(1, k + 1)]
    return vel * harmonics(freq, n, amps, decays) * env(n, 0.002, 10.0, sustain=1.0, release=0.02)


def sub_bass(freq, n, vel=1.0, decay=0.8):
    s = harmonics(freq, n, [1.0, 0.35, 0.12])
    return vel * s * env(n, 0.01, decay, sustain=0.3, release=0.05)


def saw_bass(freq, n, vel=1.0, k=6, decay=0.15):
    s = harmonics(freq, n, [a * 0.8 ** i for i, a in enumerate(saw_amps(k))])
    return vel * s * env(n, 0.004, decay, sustain=0.25, release=0.02)


def flute(freq, n, vel=1.0):
    t = np.arange(n) / SR
    vib = 1.0 + 0.004 * np.sin(2 * np.pi * 5.0 * t) * np.minimum(t / 0.4, 1.0)
    phase = 2 * np.pi * np.cumsum(freq * vib) / SR
    s = np.sin(phase) + 0.18 * np.sin(2 * phase) + 0.06 * np.sin(3 * phase)
    breath = np.random.default_rng(int(freq)).standard_normal(n) * 0.02
    return vel * (s + breath) * env(n, 0.06, 2.0, sustain=0.75, release=min(0.12, n / SR / 3))


def lead_square(freq, n, vel=1.0, k=9):
    s = harmonics(freq, n, square_amps(k))
    return vel * s * env(n, 0.005, 0.3, sustain=0.6, release=0.03)


def brass_stab(freq, n, vel=1.0):
    s = harmonics(freq, n, saw_amps(14), phase_seed=int(freq))
    s += harmonics(freq, n, saw_amps(14), phase_seed=int(freq) + 7, detune=0.005)
    return 0.5 * vel * s * env(n, 0.01, 0.12, sustain=0.2, release=0.03)


def kick(vel=1.0, length=0.35):
    n = int(length * SR)
    t = np.arange(n) / SR
    f = 48 + 110 * np.exp(-t / 0.035)
    s = np.sin(2 * np.pi * np.cumsum(f) / SR) * np.exp(-t / 0.18)
    s[:200] += 0.6 * np.exp(-np.arange(200) / 60.0)  # beater click
    return vel * fade_edges(s, 0.0008, 0.01)  # a 0.8 ms onset: punchy, but no step in the waveform


def snare(vel=1.0, seed=1):
    n = int(0.25 * SR)
    t = np.arange(n) / SR
    noise = spectral_filter(np.random.default_rng(seed).standard_normal(n), lo=1200, hi=9000)
    noise = noise / np.max(np.abs(noise))
    body = np.sin(2 * np.pi * 185 * t) * np.exp(-t / 0.05)
    return vel * fade_edges(0.8 * noise * np.exp(-t / 0.07) + 0.6 * body, 0.0008, 0.01)


def hat(vel=1.0, seed=2, decay=0.025):
    n = int(0.12 * SR)
    t = np.arange(n) / SR
    noise = spectral_filter(np.random.default_rng(seed).standard_normal(n), lo=7000, order=3)
    noise = noise / np.max(np.abs(noise))
    return vel * fade_edges(noise * np.exp(-t / decay), 0.0005, 0.005)


def woodblock(freq=900, vel=1.0):
    n = int(0.12 * SR)
    t = np.arange(n) / SR
    s = np.sin(2 * np.pi * freq * t) + 0.4 * np.sin(2 * np.pi * 2.7 * freq * t) * np.exp(-t / 0.01)
    return vel * fade_edges(s * np.exp(-t / 0.03), 0.0005, 0.005)


def mix_buses(loop, levels):
    """levels: bus -> (gain, lowpass or None, reverb send). Returns the stereo mix."""
    dry = np.zeros((2, loop.n))
    send = np.zeros((2, loop.n))
    for bus, data in loop.buses.items():
        gain, lp, rev = levels.get(bus, (1.0, None, 0.0))
        if lp is not None:
            data = np.stack([spectral_filter(c, hi=lp, circular=True) for c in data])
        dry += gain * data
        send += gain * rev * data
    return dry, send


def finish_loop(loop, levels, rt60, seed, reverb_level=0.35, master_lp=None, lufs=MUSIC_LUFS):
    dry, send = mix_buses(loop, levels)
    irl = reverb_ir(min(rt60 * 1.2, loop.n / SR - 0.1), rt60, seed)
    irr = reverb_ir(min(rt60 * 1.2, loop.n / SR - 0.1), rt60, seed + 100)
    wet = np.stack([circular_convolve(send[0], irl), circular_convolve(send[1], irr)])
    mix = dry + reverb_level * wet * 3.0
    if master_lp:
        mix = np.stack([spectral_filter(c, hi=master_lp, circular=True) for c in mix])
    mix = np.tanh(mix / np.max(np.abs(mix)) * 1.2)  # gentle glue; memoryless, so the seam stays intact
    return normalise_music(mix, lufs)


# ------------------------------------------------------------ music

def make_menu():
    """Calm: A minor, 90 bpm, 16 bars; the second half adds a flute melody."""
    L = Loop(90, 16)
    chords = [
        ([57, 60, 64, 67], 45),  # Am7
        ([53, 57, 60, 64], 41),  # Fmaj7
        ([55, 60, 64, 67], 48),  # C
        ([55, 59, 62, 67], 43),  # G
        ([57, 60, 64, 67], 45),  # Am7
        ([53, 57, 60, 64], 41),  # Fmaj7
        ([57, 60, 62, 65], 38),  # Dm7
        ([56, 59, 64, 68], 40),  # E
    ]
    arp = [0, 1, 2, 3, 2, 1, 2, 3]
    for bar in range(16):
        notes, root = chords[bar % 8]
        b0 = bar * 4
        for i, m in enumerate(notes):
            L.add("pad", pad(midi(m), L.samples(4.3), seed=bar * 10 + i, bright=7),
                  b0, pan=-0.4 + 0.27 * i, gain=0.5)
        L.add("bass", sub_bass(midi(root), L.samples(1.9)), b0, gain=0.9)
        L.add("bass", sub_bass(midi(root), L.samples(1.4), vel=0.7), b0 + 2, gain=0.9)
        for step, idx in enumerate(arp):
            m = notes[idx] + 12
            vel = 0.55 + (0.2 if step % 4 == 0 else 0.0) + 0.05 * ((bar + step) % 3)
            L.add("arp", epiano(midi(m), L.samples(1.2), vel), b0 + step * 0.5,
                  pan=0.35 if step % 2 else -0.2, gain=0.55)
    melody = [  # (bar, beat, midi, beats)
        (8, 0, 76, 1.5), (8, 1.5, 74, 0.5), (8, 2, 72, 1), (8, 3, 71, 1),
        (9, 0, 69, 2), (9, 2, 72, 1), (9, 3, 76, 1),
        (10, 0, 79, 1.5), (10, 1.5, 76, 0.5), (10, 2, 74, 1), (10, 3, 72, 1),
        (11, 0, 74, 3), (11, 3, 71, 1),
        (12, 0, 72, 1), (12, 1, 76, 1), (12, 2, 81, 2),
        (13, 0, 79, 1), (13, 1, 77, 1), (13, 2, 76, 1), (13, 3, 72, 1),
        (14, 0, 74, 1.5), (14, 1.5, 77, 0.5), (14, 2, 76, 1), (14, 3, 74, 1),
        (15, 0, 71, 2), (15, 2, 68, 2),
    ]
    for bar, beat, m, beats in melody:
        L.add("melody", flute(midi(m), L.samples(beats * 0.95), 0.8), bar * 4 + beat, pan=0.1)
    # a soft shaker in the melody half keeps it moving without drums
    for bar in range(8, 16):
        for e in range(8):
            L.add("perc", hat(0.25 if e % 2 else 0.12, seed=e, decay=0.04), bar * 4 + e * 0.5, pan=0.4)
    levels = {"pad": (0.35, 2500, 0.6), "bass": (0.9, 400, 0.1), "arp": (1.0, 5000, 0.5),
            "melody": (0.6, 6000, 0.5), "perc": (0.25, None, 0.3)}
    return finish_loop(L, levels, rt60=2.4, seed=11)


def make_normal():
    """Tense but quiet under the effects: D minor, 100 bpm, pulsing bass, a heartbeat, sparse plucks.

    The level music is the track heard most, often on laptop speakers that give
    little below 300 Hz: the pads sit an octave up, the bass pulse is lighter and
    brighter, and plucks and hats carry the pulse, so at least a quarter of the
    energy lies above 300 Hz."""
    L = Loop(100, 16)
    prog = [  # (triad, bass root) per two bars
        ([50, 53, 57], 38),  # Dm
        ([46, 50, 53], 34),  # Bb
        ([43, 46, 50], 31),  # Gm
        ([45, 49, 52], 33),  # A
        ([50, 53, 57], 38),  # Dm
        ([46, 50, 53], 34),  # Bb
        ([51, 55, 58], 39),  # Eb
        ([45, 49, 52], 33),  # A
    ]
    for half in range(8):
        triad, root = prog[half]
        b0 = half * 8
        for i, m in enumerate(triad):
            L.add("pad", pad(midi(m + 12), L.samples(8.4), seed=half * 5 + i, bright=7, attack=1.2),
                  b0, pan=-0.3 + 0.3 * i, gain=0.45)
        for e in range(16):  # eighth-note pulse, accent on the beat
            vel = 0.9 if e % 8 == 0 else (0.6 if e % 2 == 0 else 0.45)
            L.add("bass", saw_bass(midi(root), L.samples(0.42), vel, k=10, decay=0.09), b0 + e * 0.5)
        # sparse high motif: root, fifth, third with a semitone rub on the last bar of the pair
        top = triad[0] + 24
        motif = [(0, top), (0.75, top - 5), (1.5, triad[1] + 24), (4, top), (4.75, top - 5), (5.5, top + 1)]
        if half in (3, 7):
            motif[-1] = (5.5, triad[2] + 24)
        for beat, m in motif:
            L.add("pluck", pluck(midi(m), L.samples(1.5), 0.5, tau=0.35), b0 + beat, pan=0.45)
    for bar in range(16):
        b0 = bar * 4
        L.add("drums", kick(0.8), b0)
        L.add("drums", kick(0.5), b0 + 0.5)        # heartbeat: lub-dub
        L.add("drums", kick(0.8), b0 + 2)
        L.add("drums", kick(0.5), b0 + 2.5)
        for e in range(4):
            L.add("hats", hat(0.35, seed=3 + e), b0 + e + 0.5, pan=0.3)
        if bar % 2 == 1:
            L.add("hats", woodblock(1400, 0.3), b0 + 3.5, pan=-0.4)
    # echo of the plucks, a dotted eighth, wrapping around the loop
    L.buses["pluck"] = echo_circular(L.buses["pluck"], L.samples(0.75), 0.4, repeats=5)
    levels = {"pad": (0.32, 2500, 0.5), "bass": (0.55, 1600, 0.05), "pluck": (0.6, 5000, 0.5),
            "drums": (0.6, 2500, 0.1), "hats": (0.3, None, 0.2)}
    return finish_loop(L, levels, rt60=2.0, seed=22, master_lp=9000, lufs=MUSIC_LUFS - 1.0)


def make_alarm():
    """Urgent: E minor, 150 bpm, four-on-the-floor, pumping bass, stabs, a siren lead."""
    L = Loop(150, 16)
    prog = [(40, [52, 55, 59]), (40, [52, 55, 59]), (36, [52, 55, 60]), (38, [50, 54, 57]),
            (40, [52, 55, 59]), (40, [52, 55, 59]), (36, [52, 55, 60]), (35, [51, 54, 59])]
    for bar in range(16):
        root, chord = prog[bar % 8]
        b0 = bar * 4
        for beat in range(4):
            L.add("drums", kick(1.0), b0 + beat)
        L.add("drums", snare(0.9, seed=bar), b0 + 1)
        L.add("drums", snare(0.9, seed=bar + 50), b0 + 3)
        if bar % 4 == 3:  # fill into the next phrase
            L.add("drums", snare(0.5, seed=bar + 90), b0 + 3.5)
            L.add("drums", snare(0.6, seed=bar + 91), b0 + 3.75)
        for s in range(16):
            L.add("hats", hat(0.7 if s % 4 == 2 else 0.35, seed=s), b0 + s * 0.25, pan=0.3)
        for e in range(8):  # octave-jumping eighth bass
            m = root + (12 if e % 2 else 0)
            L.add("bass", saw_bass(midi(m), L.samples(0.4), 0.9, k=10, decay=0.07), b0 + e * 0.5)
        for beat in (0, 1.5, 3):  # offbeat brass stabs
            for i, m in enumerate(chord):
                L.add("stab", brass_stab(midi(m + 12), L.samples(0.35), 0.8), b0 + beat,
                      pan=-0.3 + 0.3 * i)
        if bar < 8:  # two-tone siren
            for beat in range(4):
                m = 76 if beat % 2 == 0 else 77
                L.add("lead", lead_square(midi(m), L.samples(0.9), 0.5), b0 + beat, pan=-0.2)
    riff = [(0, 76), (0.5, 79), (1, 78), (1.5, 76), (2, 74), (2.5, 76), (3, 71), (3.5, 74)]
    riff2 = [(0, 76), (0.5, 79), (1, 81), (1.5, 79), (2, 78), (2.5, 74), (3, 75), (3.5, 78)]
    for bar in range(8, 16):
        for beat, m in (riff2 if bar % 4 == 3 else riff):
            L.add("lead", lead_square(midi(m), L.samples(0.45), 0.6), bar * 4 + beat, pan=-0.2)
    levels = {"drums": (0.9, None, 0.05), "hats": (0.3, None, 0.1), "bass": (0.75, 1500, 0.0),
            "stab": (0.35, 3500, 0.3), "lead": (0.35, 5000, 0.35)}
    return finish_loop(L, levels, rt60=1.2, seed=33, lufs=MUSIC_LUFS + 1.0)


def make_comedy():
    """A short, bouncy oom-pah loop in F major, 140 bpm, 4 bars."""
    L = Loop(140, 4)
    bars = [(41, 48, [57, 60, 65]), (36, 43, [58, 60, 64]), (41, 48, [57, 60, 65]), (36, 43, [58, 60, 64])]
    for bar, (root, fifth, chord) in enumerate(bars):
        b0 = bar * 4
        L.add("tuba", sub_bass(midi(root), L.samples(0.7), 1.0, decay=0.2), b0)
        L.add("tuba", sub_bass(midi(fifth), L.samples(0.7), 0.9, decay=0.2), b0 + 2)
        for beat in (1, 3):
            for m in chord:
                L.add("chord", pluck(midi(m), L.samples(0.4), 0.6, tau=0.12), b0 + beat, pan=0.3)
        for e in range(4):
            L.add("perc", woodblock(1100 if e % 2 else 800, 0.6), b0 + e + 0.5, pan=-0.4)
    tune = [(0, 65, 0.5), (0.5, 69, 0.5), (1, 72, 0.5), (1.5, 69, 0.5), (2, 72, 1), (3, 77, 0.5), (3.5, 76, 0.5),
            (4, 74, 0.5), (4.5, 70, 0.5), (5, 67, 0.5), (5.5, 64, 0.5), (6, 60, 1.5),
            (8, 65, 0.5), (8.5, 69, 0.5), (9, 72, 0.5), (9.5, 77, 0.5), (10, 81, 1), (11, 79, 0.5), (11.5, 77, 0.5),
            (12, 76, 0.5), (12.5, 72, 0.5), (13, 67, 0.5), (13.5, 64, 0.5), (14, 65, 1), (15, 60, 0.5)]
    for beat, m, beats in tune:
        L.add("clarinet", lead_square(midi(m), L.samples(beats * 0.7), 0.7, k=7), beat, pan=-0.1)
    levels = {"tuba": (0.9, 600, 0.05), "chord": (0.4, 4000, 0.2), "perc": (0.25, None, 0.15),
            "clarinet": (0.45, 3500, 0.3)}
    return finish_loop(L, levels, rt60=0.9, seed=44)


# ------------------------------------------------------------ effects

def make_hack():
    """About a second of keyboard clicks with short data chirps over them."""
    rng = np.random.default_rng(1401)
    n = int(1.05 * SR)
    out = np.zeros(n)
    t = 0.0
    while t < 0.98:
        click_n = int(0.03 * SR)
        tt = np.arange(click_n) / SR
        noise = spectral_filter(rng.standard_normal(click_n), lo=1500, hi=9000)
        body = np.sin(2 * np.pi * rng.uniform(180, 320) * tt) * np.exp(-tt / 0.008)
        click = (0.6 * noise / np.max(np.abs(noise)) * np.exp(-tt / 0.004) + 0.5 * body) * rng.uniform(0.6, 1.0)
        s = int(t * SR)
        out[s:s + click_n] += click[:max(0, min(click_n, n - s))]
        t += rng.uniform(0.05, 0.11)
    # data chirps: quick square bleeps at random pitches in two bursts
    for start, count in ((0.15, 6), (0.6, 5)):
        for i in range(count):
            cn = int(0.028 * SR)
            tt = np.arange(cn) / SR
            f = rng.choice([1320, 1760, 2093, 2637, 3136]) * (1 + 0.3 * tt / tt[-1])
            ph = 2 * np.pi * np.cumsum(f) / SR
            bleep = 0.4 * (np.sin(ph) + np.sin(3 * ph) / 3 + np.sin(5 * ph) / 5)
            bleep *= env(cn, 0.002, 0.02, release=0.004)
            s = int((start + i * 0.032) * SR)
            out[s:s + cn] += bleep
    return normalise_effect(fade_edges(spectral_filter(out, lo=120, hi=12000), 0.001, 0.02))


def make_switch():
    """A lamp switch: a sharp snap and a small plastic thunk."""
    rng = np.random.default_rng(1601)
    n = int(0.14 * SR)
    t = np.arange(n) / SR
    snap = spectral_filter(rng.standard_normal(n), lo=2500, hi=12000) * np.exp(-t / 0.002)
    snap /= np.max(np.abs(snap))
    thunk = (np.sin(2 * np.pi * 420 * t) + 0.5 * np.sin(2 * np.pi * 1130 * t)) * np.exp(-t / 0.012)
    second = np.zeros(n)
    off = int(0.018 * SR)
    second[off:] = 0.5 * snap[:n - off]
    return normalise_effect(fade_edges(0.8 * snap + 0.7 * thunk + second, 0.0005, 0.02))


def make_bush():
    """Leaves rustling: band-limited noise in irregular grains."""
    rng = np.random.default_rng(1801)
    n = int(0.75 * SR)
    noise = spectral_filter(rng.standard_normal(n), lo=1800, hi=9000)
    t = np.arange(n) / SR
    amp = np.zeros(n)
    pos = 0.0
    while pos < 0.65:
        g = int(rng.uniform(0.02, 0.07) * SR)
        s = int(pos * SR)
        w = np.hanning(g) * rng.uniform(0.3, 1.0)
        amp[s:s + g] += w[:max(0, min(g, n - s))]
        pos += rng.uniform(0.01, 0.04)
    shape = np.minimum(t / 0.05, 1.0) * np.exp(-np.maximum(t - 0.25, 0) / 0.18)
    low = spectral_filter(rng.standard_normal(n), lo=300, hi=1200) * 0.3
    return normalise_effect(fade_edges((noise + low) * amp * shape, 0.002, 0.05))


def blip(freqs, dur_each, wave_mix=0.3, decay=0.06):
    """Short tones one after another; a (start, end) pair glides."""
    parts = []
    n = int(dur_each * SR)
    for f in freqs:
        f_t = np.full(n, float(f)) if np.isscalar(f) else np.linspace(f[0], f[1], n)
        ph = 2 * np.pi * np.cumsum(f_t) / SR
        s = np.sin(ph) + wave_mix * np.sin(3 * ph) / 3 + 0.5 * wave_mix * np.sin(2 * ph) / 2
        parts.append(s * env(n, 0.003, decay, release=0.01))
    return np.concatenate(parts)


def make_tick():
    n = int(0.06 * SR)
    t = np.arange(n) / SR
    s = np.sin(2 * np.pi * 1050 * t) * np.exp(-t / 0.012) + 0.2 * np.sin(2 * np.pi * 2100 * t) * np.exp(-t / 0.004)
    return normalise_effect(fade_edges(s, 0.001, 0.01))


def make_accept():
    return normalise_effect(fade_edges(blip([880, 1318.5], 0.075, decay=0.08), 0.001, 0.01))


def make_cancel():
    return normalise_effect(fade_edges(blip([(700, 560), (520, 390)], 0.09, decay=0.09), 0.001, 0.015))


def make_newgame():
    """A rising arpeggio that lands on a bright chord."""
    n = int(1.3 * SR)
    out = np.zeros(n)
    notes = [72, 76, 79, 84]
    for i, m in enumerate(notes):
        s = int(i * 0.09 * SR)
        out[s:] += 0.6 * epiano(midi(m), n - s, 0.9)[: n - s] + 0.3 * lead_square(midi(m), n - s, 0.5)[: n - s] \
            * env(n - s, 0.003, 0.1)
    s = int(0.36 * SR)
    for m in (72, 76, 79, 84, 88):
        out[s:] += 0.25 * pluck(midi(m), n - s, 0.8, tau=0.6)
    return normalise_effect(fade_edges(spectral_filter(out, lo=150), 0.001, 0.15))


# ------------------------------------------------------------ voices

def voice(text, voice_name, speed, pitch, shift_cents, drive, reverb, tmp):
    """espeak-ng speaks, sox roughens it: lower pitch, some overdrive, a little room.

    espeak stops a voiced sound dead on a glottal pulse, which ticks; the dry voice
    is faded out over its last VOICE_FADE seconds before the room is added."""
    raw = os.path.join(tmp, "v.wav")
    subprocess.run(["espeak-ng", "-v", voice_name, "-s", str(speed), "-p", str(pitch), "-a", "160",
                    "-w", raw, text], check=True)
    dry, wet = os.path.join(tmp, "dry.wav"), os.path.join(tmp, "v.f32")
    subprocess.run(["sox", "-D", raw, "-b", "32", "-e", "floating-point", dry,
                    "gain", "-10", "rate", "-v", str(SR), "pitch", str(shift_cents),
                    "highpass", "90", "overdrive", str(drive), "20", "lowpass", "5500",
                    "silence", "1", "0.005", "0.5%", "reverse", "silence", "1", "0.005", "0.5%", "reverse"],
                   check=True)
    x = read_wav_float(dry)
    n = min(len(x), int(VOICE_FADE * SR))
    fade = db(np.linspace(0.0, -30.0, n))   # an even fall in dB, then the last 5 ms to silence
    fade[-int(0.005 * SR):] *= np.linspace(1.0, 0.0, int(0.005 * SR))
    x[len(x) - n:] *= fade
    write_wav_float(dry, x)
    subprocess.run(["sox", "-D", dry, "-t", "f32", "-c", "1", wet,
                    "pad", "0", "0.25", "gain", "-8", "reverb", str(reverb), "50", "20"], check=True)
    x = np.fromfile(wet, dtype="<f4").astype(np.float64)
    return normalise_effect(fade_edges(x, 0.003, 0.08))


def read_wav_float(path):
    out = path + ".f32"
    subprocess.run(["sox", "-D", path, "-t", "f32", "-c", "1", out], check=True)
    return np.fromfile(out, dtype="<f4").astype(np.float64)


def write_wav_float(path, x):
    raw = path + ".f32"
    x.astype("<f4").tofile(raw)
    subprocess.run(["sox", "-D", "-t", "f32", "-r", str(SR), "-c", "1", raw, path], check=True)


def make_voices(tmp):
    sounds = {}
    alert = "SE_guard_state/alert/Male_Alert_Grunt%02d.ogg"
    sounds[alert % 1] = voice("Huh?", "en-us+m3", 130, 35, -300, 8, 25, tmp)
    sounds[alert % 2] = voice("Hey?", "en+m1", 140, 40, -350, 8, 25, tmp)
    sounds[alert % 3] = voice("What?", "en-gb+m7", 140, 40, -250, 10, 25, tmp)
    sounds["SE_guard_state/detect/Male_Attack_Grunt06.ogg"] = \
        voice("Hey, stop!", "en-us+m2", 175, 55, -250, 14, 20, tmp)
    sounds["SE_guard_state/detect/Male_Attack_Grunt10.ogg"] = \
        voice("Intruder!", "en+m6", 165, 60, -300, 14, 20, tmp)
    death = "SE_guard_state/if_usedorvyobrainno/Male_Death_Grunt%02d.ogg"
    sounds[death % 1] = voice("Ugh!", "en-us+m3", 120, 25, -400, 18, 30, tmp)
    sounds[death % 2] = voice("Ahhh!", "en+m1", 110, 20, -450, 20, 30, tmp)
    sounds[death % 3] = voice("Oof!", "en-gb+m7", 130, 30, -500, 16, 30, tmp)
    return sounds


# ------------------------------------------------------------ main

def main():
    if not os.path.isdir("ArtAssets"):
        sys.exit("make_sounds: run from the repository root (no ArtAssets/ here)")
    menu = make_menu()
    write_ogg("BGM/menu.ogg", menu)
    write_ogg("BGM/normal/normal_1.ogg", make_normal())
    write_ogg("BGM/detect/detected_bgm.ogg", make_alarm())
    # Everything else plays over the music: no louder than EFFECT_OVER_MUSIC_DB above it.
    effects = {
        "Hackable/MusicComedyThe CTE02_96.1.ogg": make_comedy(),
        "Hackable/hackcomputer.ogg": make_hack(),
        "Hackable/Menu_FailError03.ogg": make_switch(),
        "Hackable/bush1.ogg": make_bush(),
        "Menu/moving_between.ogg": make_tick(),
        "Menu/accept.ogg": make_accept(),
        "Menu/newgame.ogg": make_newgame(),
        "Menu/cancel.ogg": make_cancel(),
    }
    with tempfile.TemporaryDirectory() as tmp:
        effects.update(make_voices(tmp))
    for path, data in effects.items():
        write_ogg(path, cap_effect(data, menu))


if __name__ == "__main__":
    main()
