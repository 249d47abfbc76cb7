#!/usr/bin/env python3
"""Synthesize the four Knuffelhatz sound effects.

Pure Python 3 standard library, fully deterministic (fixed random seeds):
running it twice produces byte-identical files.

Usage (from the repository root):

    python3 tools/sounds/make_sounds.py            # writes into ./sounds/
    python3 tools/sounds/make_sounds.py OUTDIR     # writes into OUTDIR

Without an argument the output directory is <repo root>/sounds, located
relative to this script, so it works from any current directory.

Files written (RIFF WAVE, 16-bit signed PCM, mono, 44100 Hz):

    Schuss.wbs    shot that hits nothing: soft toy-like pop/puff
    Treffer1.wbs  hit on the creature: bouncy comic boing with a plop
    Treffer2.wbs  hit on the lantern: glassy clink with tinkly shards
    Leer.wbs      magazine refilled: mechanical click-clack
"""

import math
import os
import random
import struct
import sys
import wave

RATE = 44100
PEAK_DBFS = -2.0          # target peak level of every file
FADE_IN_S = 0.0008        # tiny ramp so the first sample does not click
FADE_OUT_S = 0.025        # raised-cosine fade to zero at the end
TWO_PI = 2.0 * math.pi


# ----------------------------------------------------------------------------
# small DSP helpers (lists of floats)
# ----------------------------------------------------------------------------

def silence(seconds):
    return [0.0] * int(round(seconds * RATE))


def mix_into(dst, src, offset_s=0.0, gain=1.0, taper_s=0.004):
    """Add src into dst starting at offset_s seconds (dst is extended).

    The last taper_s seconds of src are faded out so that a component which
    is cut off before it has fully decayed does not leave a click.
    """
    src = list(src)
    nt = min(len(src), int(taper_s * RATE))
    for k in range(nt):
        src[len(src) - nt + k] *= 0.5 * (1.0 + math.cos(math.pi * (k + 1) / nt))
    start = int(round(offset_s * RATE))
    need = start + len(src)
    if need > len(dst):
        dst.extend([0.0] * (need - len(dst)))
    for i, v in enumerate(src):
        dst[start + i] += gain * v
    return dst


def noise(seconds, rng):
    return [rng.uniform(-1.0, 1.0) for _ in range(int(round(seconds * RATE)))]


def biquad(x, kind, freq, q=0.707):
    """RBJ cookbook biquad: kind in 'lp', 'hp', 'bp' (constant peak gain)."""
    w0 = TWO_PI * freq / RATE
    cw, sw = math.cos(w0), math.sin(w0)
    alpha = sw / (2.0 * q)
    if kind == 'lp':
        b0, b1, b2 = (1 - cw) / 2, 1 - cw, (1 - cw) / 2
    elif kind == 'hp':
        b0, b1, b2 = (1 + cw) / 2, -(1 + cw), (1 + cw) / 2
    elif kind == 'bp':
        b0, b1, b2 = alpha, 0.0, -alpha
    else:
        raise ValueError(kind)
    a0, a1, a2 = 1 + alpha, -2 * cw, 1 - alpha
    b0, b1, b2, a1, a2 = b0 / a0, b1 / a0, b2 / a0, a1 / a0, a2 / a0
    y = []
    x1 = x2 = y1 = y2 = 0.0
    for v in x:
        out = b0 * v + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2
        x2, x1, y2, y1 = x1, v, y1, out
        y.append(out)
    return y


def sweep_lowpass(x, f_start, f_end, tau):
    """One-pole lowpass whose cutoff glides exponentially f_start -> f_end."""
    y, s = [], 0.0
    for i, v in enumerate(x):
        t = i / RATE
        fc = f_end + (f_start - f_end) * math.exp(-t / tau)
        a = 1.0 - math.exp(-TWO_PI * fc / RATE)
        s += a * (v - s)
        y.append(s)
    return y


def env_exp(n, attack_s, tau_s):
    """Linear attack followed by exponential decay, n samples long."""
    att = max(1, int(attack_s * RATE))
    out = []
    for i in range(n):
        if i < att:
            out.append(i / att)
        else:
            out.append(math.exp(-(i - att) / (tau_s * RATE)))
    return out


def apply_env(x, env):
    return [a * b for a, b in zip(x, env)]


def glide_sine(seconds, freq_fn, amp_fn, phase=0.0, shape=None):
    """Oscillator with time-varying frequency freq_fn(t) and amplitude amp_fn(t).

    shape: optional waveshaper applied to the raw sine (for extra harmonics).
    """
    n = int(round(seconds * RATE))
    out, ph = [], phase
    for i in range(n):
        t = i / RATE
        s = math.sin(ph)
        if shape is not None:
            s = shape(s)
        out.append(amp_fn(t) * s)
        ph += TWO_PI * freq_fn(t) / RATE
    return out


def decaying_partial(seconds, freq, amp, tau, phase=0.0):
    n = int(round(seconds * RATE))
    w = TWO_PI * freq / RATE
    return [amp * math.exp(-i / (tau * RATE)) * math.sin(w * i + phase)
            for i in range(n)]


def normalized(x, level=1.0):
    peak = max(abs(v) for v in x) or 1.0
    return [v * level / peak for v in x]


def dc_block(x, cutoff=25.0):
    return biquad(x, 'hp', cutoff, 0.6)


def finish(x, length_s):
    """Trim/pad to length, remove DC, fade in/out, normalize to PEAK_DBFS."""
    n = int(round(length_s * RATE))
    x = (list(x) + [0.0] * n)[:n]
    x = dc_block(x)
    fi = max(1, int(FADE_IN_S * RATE))
    for i in range(fi):
        x[i] *= i / fi
    fo = int(FADE_OUT_S * RATE)
    for k in range(fo):
        g = 0.5 * (1.0 + math.cos(math.pi * (k + 1) / fo))  # 1 -> 0
        x[n - fo + k] *= g
    x[-1] = 0.0
    peak = max(abs(v) for v in x) or 1.0
    gain = (10.0 ** (PEAK_DBFS / 20.0)) / peak
    return [v * gain for v in x]


def write_wav(path, x):
    frames = bytearray()
    for v in x:
        s = int(round(v * 32767.0))
        s = max(-32767, min(32767, s))
        frames += struct.pack('<h', s)
    with wave.open(path, 'wb') as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.writeframes(bytes(frames))


# ----------------------------------------------------------------------------
# the four sounds
# ----------------------------------------------------------------------------

def make_schuss():
    """Soft toy pop/puff: lowpassed noise puff, tiny cork 'pop', low thump."""
    rng = random.Random(1001)
    length = 0.28
    out = silence(length)

    # Puff of air: noise through a two-stage lowpass that closes quickly
    # (soft 'pff' rather than a hiss), with the lowest rumble removed.
    puff = noise(length, rng)
    puff = sweep_lowpass(puff, 3600.0, 450.0, 0.022)
    puff = sweep_lowpass(puff, 3600.0, 450.0, 0.022)
    puff = biquad(puff, 'hp', 160.0)
    puff = apply_env(puff, env_exp(len(puff), 0.0015, 0.030))
    mix_into(out, normalized(puff), 0.0, 0.75)

    # Cork-like 'pop': a short sine blip falling in pitch.
    pop = glide_sine(0.07,
                     lambda t: 360.0 + 560.0 * math.exp(-t / 0.009),
                     lambda t: min(1.0, t / 0.0008) * math.exp(-t / 0.011))
    mix_into(out, pop, 0.0, 0.45)

    # Little low thump underneath.
    thump = glide_sine(0.24,
                       lambda t: 55.0 + 115.0 * math.exp(-t / 0.030),
                       lambda t: min(1.0, t / 0.002) * math.exp(-t / 0.050))
    mix_into(out, thump, 0.0, 0.55)
    return finish(out, length)


def make_treffer1():
    """Comic boing/squish: wobbling, downward-bending tone plus a soft plop."""
    rng = random.Random(2002)
    length = 0.44

    def freq(t):
        # quick drop from a high 'bo-' into a wobbling, slowly sagging '-ing'
        base = 175.0 - 40.0 * t + 300.0 * math.exp(-t / 0.040)
        wob = 0.28 * math.exp(-t / 0.20) * math.sin(TWO_PI * 16.0 * t)
        return base * (1.0 + wob)

    def amp(t):
        a = min(1.0, t / 0.003)
        return a * (0.35 + 0.65 * math.exp(-t / 0.10)) * math.exp(-t / 0.22)

    # Slight soft saturation gives the tone a rubbery, cartoonish buzz.
    boing = glide_sine(length, freq, amp,
                       shape=lambda s: math.tanh(2.2 * s) / math.tanh(2.2))
    boing = biquad(boing, 'lp', 2400.0, 0.8)
    out = list(boing)

    # Squishy plop at the start: bandpassed noise + quick low pitch drop.
    plop_n = noise(0.08, rng)
    plop_n = biquad(plop_n, 'bp', 850.0, 1.6)
    plop_n = biquad(plop_n, 'lp', 3000.0)
    plop_n = apply_env(plop_n, env_exp(len(plop_n), 0.001, 0.012))
    mix_into(out, normalized(plop_n), 0.0, 0.45)
    plop = glide_sine(0.12,
                      lambda t: 110.0 + 260.0 * math.exp(-t / 0.015),
                      lambda t: min(1.0, t / 0.0015) * math.exp(-t / 0.025))
    mix_into(out, plop, 0.0, 0.5)
    return finish(out, length)


def make_treffer2():
    """Glassy clink: inharmonic bell-like partials, a bright tick, shards."""
    rng = random.Random(3003)
    length = 0.78
    out = silence(length)

    # Main chime: ratios of a free glass/metal bar-like resonator, each
    # higher partial decays faster.  Slightly detuned pairs give shimmer.
    f0 = 1760.0
    partials = [  # (ratio, amplitude, decay tau in s)
        (1.000, 1.00, 0.30),
        (1.006, 0.35, 0.26),
        (2.756, 0.55, 0.18),
        (5.404, 0.38, 0.10),
        (8.933, 0.22, 0.06),
        (11.34, 0.12, 0.04),
    ]
    for ratio, a, tau in partials:
        f = f0 * ratio
        if f < RATE * 0.45:
            ph = rng.uniform(0.0, TWO_PI)
            mix_into(out, decaying_partial(length, f, a, tau, ph), 0.0)

    # Very short bright 'tick' of the strike.
    tick = noise(0.012, rng)
    tick = biquad(tick, 'hp', 4000.0)
    tick = apply_env(tick, env_exp(len(tick), 0.0003, 0.0025))
    mix_into(out, tick, 0.0, 1.2)

    # Tinkly shards: small high pings scattered after the strike.
    onsets = [0.035, 0.070, 0.11, 0.16, 0.21, 0.27, 0.34, 0.42]
    for k, t0 in enumerate(onsets):
        t0 += rng.uniform(-0.008, 0.008)
        f = rng.uniform(3800.0, 8200.0)
        a = 0.30 * (0.85 ** k) * rng.uniform(0.7, 1.0)
        tau = rng.uniform(0.018, 0.045)
        ping = decaying_partial(0.2, f, 1.0, tau)
        ping2 = decaying_partial(0.2, f * 1.53, 0.4, tau * 0.6)
        shard = [p + q for p, q in zip(ping, ping2)]
        ramp = int(0.0006 * RATE)
        for i in range(ramp):
            shard[i] *= i / ramp
        mix_into(out, shard, t0, a)
    return finish(out, length)


def make_leer():
    """Mechanical click-clack: two distinct clicks about 120 ms apart."""
    rng = random.Random(4004)
    length = 0.34
    out = silence(length)

    def click(modes, excite_s, excite_tau, hp_hz, noise_level, lp_hz=None,
              body=None):
        """A hard strike: short noise transient plus decaying resonant modes.

        modes: list of (frequency Hz, amplitude, decay tau s).
        """
        dur = 0.10
        res = [0.0] * int(dur * RATE)
        for f, a, tau in modes:
            ph = rng.uniform(0.0, TWO_PI)
            mix_into(res, decaying_partial(dur, f, a, tau, ph), 0.0)
        ex = noise(excite_s, rng)
        ex = biquad(ex, 'hp', hp_hz)
        if lp_hz is not None:
            ex = biquad(biquad(ex, 'lp', lp_hz), 'lp', lp_hz)
        ex = apply_env(ex, env_exp(len(ex), 0.0002, excite_tau))
        mix_into(res, normalized(ex), 0.0, noise_level, taper_s=0.001)
        if body is not None:
            mix_into(res, body, 0.0)
        ramp = int(0.0003 * RATE)
        for i in range(ramp):
            res[i] *= i / ramp
        return normalized(res)

    # First 'click': light and metallic (the latch snapping back).
    click1 = click(modes=[(1230.0, 0.30, 0.014), (2460.0, 1.00, 0.011),
                          (3890.0, 0.70, 0.008), (6120.0, 0.45, 0.005)],
                   excite_s=0.003, excite_tau=0.0006, hp_hz=3000.0,
                   noise_level=0.8)
    mix_into(out, click1, 0.0, 0.85)

    # Second 'clack': heavier and woodier, with a small body knock.
    knock = glide_sine(0.07,
                       lambda t: 120.0 + 80.0 * math.exp(-t / 0.008),
                       lambda t: min(1.0, t / 0.001) * math.exp(-t / 0.018))
    click2 = click(modes=[(610.0, 1.00, 0.020), (1470.0, 0.80, 0.013),
                          (2690.0, 0.50, 0.008), (4080.0, 0.25, 0.005)],
                   excite_s=0.005, excite_tau=0.0010, hp_hz=700.0,
                   noise_level=0.6, lp_hz=4200.0, body=[0.9 * v for v in knock])
    mix_into(out, click2, 0.120, 1.0)
    return finish(out, length)


SOUNDS = [
    ('Schuss.wbs', make_schuss),
    ('Treffer1.wbs', make_treffer1),
    ('Treffer2.wbs', make_treffer2),
    ('Leer.wbs', make_leer),
]


def main(argv):
    if len(argv) > 1:
        outdir = argv[1]
    else:
        here = os.path.dirname(os.path.abspath(__file__))
        outdir = os.path.join(here, os.pardir, os.pardir, 'sounds')
    outdir = os.path.normpath(outdir)
    os.makedirs(outdir, exist_ok=True)
    for name, fn in SOUNDS:
        data = fn()
        path = os.path.join(outdir, name)
        write_wav(path, data)
        peak = max(abs(v) for v in data)
        print('%-13s %.3f s  peak %.2f dBFS' %
              (name, len(data) / RATE, 20.0 * math.log10(peak)))
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
