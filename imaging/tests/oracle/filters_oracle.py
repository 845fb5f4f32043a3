#!/usr/bin/env python3
"""Reference results for the filter and transform conformance tests.

  fft IN W H N XO YO OUT        IN: W*H channel bytes. OUT: the centred, normalised plane's
                                numpy.fft.fft2 over N, N rows of N real then N imaginary float32.
  correlate IN W H C0..C8 D OUT IN and OUT: W*H*3 bytes. scipy.ndimage.correlate with the 3 x 3
                                weights (mode 'nearest') per channel, divided by D truncating
                                toward zero, clamped to 0..255.
  hsl IN OUT                    IN: RGB byte triples. OUT: per triple colorsys.rgb_to_hls as H, S,
                                L float64, then hls_to_rgb(H, L, S) of the same triple's bytes
                                read as H, S, L / 255, each channel Trunc(v * 255), as 3 float64.
  hsv IN OUT                    IN: RGB byte triples. OUT: colorsys.rgb_to_hsv as 3 float64.
"""
import colorsys
import sys

import numpy as np


def fft(args):
    path, w, h, n, xo, yo, out = args[0], *map(int, args[1:6]), args[6]
    data = np.fromfile(path, dtype=np.uint8).reshape(h, w).astype(np.float64)
    plane = np.zeros((n, n))
    plane[yo:yo + h, xo:xo + w] = data / max(data.max(), 1.0)
    rows, cols = np.indices((n, n))
    plane *= np.where((rows + cols) % 2 == 1, -1.0, 1.0)
    spectrum = np.fft.fft2(plane) / n
    result = np.concatenate([spectrum.real, spectrum.imag], axis=1).astype(np.float32)
    result.tofile(out)


def correlate(args):
    from scipy import ndimage
    path, w, h = args[0], int(args[1]), int(args[2])
    weights = np.array([int(a) for a in args[3:12]], dtype=np.int64).reshape(3, 3)
    divisor = int(args[12]) or 1
    out = args[13]
    data = np.fromfile(path, dtype=np.uint8).reshape(h, w, 3).astype(np.int64)
    result = np.empty_like(data)
    for c in range(3):
        s = ndimage.correlate(data[:, :, c], weights, output=np.int64, mode='nearest')
        q = np.abs(s) // abs(divisor)
        result[:, :, c] = np.where((s < 0) != (divisor < 0), -q, q)
    np.clip(result, 0, 255).astype(np.uint8).tofile(out)


def hsl(args):
    data = np.fromfile(args[0], dtype=np.uint8).reshape(-1, 3)
    rows = []
    for r, g, b in data:
        h, l, s = colorsys.rgb_to_hls(r / 255, g / 255, b / 255)
        back = colorsys.hls_to_rgb(r / 255, b / 255, g / 255)
        rows.append([h, s, l] + [float(int(v * 255)) for v in back])
    np.array(rows, dtype=np.float64).tofile(args[1])


def hsv(args):
    data = np.fromfile(args[0], dtype=np.uint8).reshape(-1, 3)
    rows = [colorsys.rgb_to_hsv(r / 255, g / 255, b / 255) for r, g, b in data]
    np.array(rows, dtype=np.float64).tofile(args[1])


if __name__ == '__main__':
    {'fft': fft, 'correlate': correlate, 'hsl': hsl, 'hsv': hsv}[sys.argv[1]](sys.argv[2:])
