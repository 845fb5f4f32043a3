#!/usr/bin/env python3
"""Tabulates the cache-key hashes and the picture fitting independently of our C++ code.

Prints the C++ case tables of lm_types_oracle_cases.h:
    python3 lm_types_oracle.py > ../lm_types_oracle_cases.h
Names are hashed over their UTF-8 bytes; rounding is half to even, as Python's round() does.
"""


def name_hash31(name: bytes) -> int:
    h = 0
    for b in name:
        h = (h * 31 + b) & 0xFFFFFFFF
    return h & 0x7FFFFFF


def name_word_sum_hash(name: bytes) -> int:
    if not name:
        return 0
    seq = len(name).to_bytes(4, "little") + name
    n = (len(name) - 1) // 4 + 1
    total = 0
    for k in range(1, n + 1):
        at = len(seq) - 4 * k
        total = (total + int.from_bytes(seq[at:at + 4], "little")) & 0xFFFFFFFF
    return (total >> 16) ^ (total & 0xFFFF)


def date_part(date: float) -> str:
    if date == 0:
        return ""
    return ("%.5f" % date)[2:].replace(".", "")


def cache_key(name: bytes, date: float) -> str:
    return "%d%sF%d" % (name_hash31(name), date_part(date), name_word_sum_hash(name))


def fit(w, h, bw, bh, left, top, stretch, shrink, cv, ch):
    if w <= 0 or h <= 0 or bw <= 0 or bh <= 0:
        return (left, top, 0, 0)
    rw, rh = w / bw, h / bh
    if rw > rh:
        scale, r = (shrink if w > bw else stretch), rw
    else:
        scale, r = (shrink if h > bh else stretch), rh
    nw, nh = (round(w / r), round(h / r)) if scale else (w, h)
    if cv and bh - 1 > nh:
        top += round(bh / 2 - nh / 2)
    if ch and bw - 1 > nw:
        left += round(bw / 2 - nw / 2)
    return (left, top, left + nw, top + nh)


def cpp_string(b: bytes) -> str:
    return '"' + "".join(chr(c) if 32 <= c < 127 and c not in (34, 92) else "\\x%02X\"\"" % c for c in b) + '"'


NAMES = [b"a", b"ab", b"abc", b"abcd", b"abcde", b"abcdef", b"abcdefg", b"abcdefgh", b"abcdefghi",
         "/home/ann/Bilder/größe.jpg".encode(), "/tmp/写真.png".encode(), "é".encode(),
         b"/photos/IMG_0001.JPG", b"/photos/img_0001.jpg"]
DATES = [0, 45000.25, 45123.5, 36526.75]

FITS = [
    (200, 100, 100, 100, 0, 0, False, True, True, False),
    (200, 100, 100, 100, 0, 0, False, True, False, False),
    (50, 50, 100, 100, 10, 20, False, True, True, False),
    (50, 50, 100, 100, 10, 20, False, True, False, True),
    (50, 50, 100, 100, 10, 20, True, False, True, True),
    (640, 480, 90, 75, 2, 2, True, True, True, True),
    (480, 640, 90, 75, 2, 2, True, True, True, True),
    (3, 1, 2, 2, 0, 0, True, True, True, True),
    (5, 3, 2, 2, 0, 0, True, True, True, True),
    (1, 3, 4, 4, 0, 0, True, True, True, True),
    (100, 100, 100, 100, 0, 0, True, True, True, True),
    (99, 100, 100, 100, 0, 0, False, False, True, True),
    (120, 90, 160, 90, 0, 0, True, True, True, True),
    (0, 90, 160, 90, 7, 8, True, True, True, True),
    (100, 90, 0, 90, 7, 8, True, True, True, True),
    (100, 90, 160, -1, 7, 8, True, True, True, True),
    # Halves: the scaled height 0.5 and the centring offset 2.5 round to even.
    (4, 1, 2, 10, 0, 0, False, True, False, False),
    (1, 1, 6, 6, 0, 0, False, False, True, True),
    (7, 7, 10, 10, 0, 0, False, False, True, True),
]


def main():
    print("// Made by oracle/lm_types_oracle.py: cache keys and fitted rectangles computed apart from our code.")
    print("#pragma once\n")
    print("struct TKeyCase {\n    const char* Name;\n    double Date;\n    unsigned Hash31;\n    unsigned WordSum;\n    const char* Key;\n};")
    print("inline constexpr TKeyCase kKeyCases[] = {")
    for name in NAMES:
        for date in DATES:
            print("    {%s, %r, %d, %d, \"%s\"}," % (cpp_string(name), float(date), name_hash31(name),
                                                  name_word_sum_hash(name), cache_key(name, date)))
    print("};\n")
    print("struct TFitCase {\n    int W, H, BoxW, BoxH, Left, Top;\n    bool Stretch, Shrink, CenterV, CenterH;\n"
          "    int Expected[4];\n};")
    print("inline constexpr TFitCase kFitCases[] = {")
    for c in FITS:
        r = fit(*c)
        flags = ", ".join("true" if f else "false" for f in c[6:])
        print("    {%d, %d, %d, %d, %d, %d, %s, {%d, %d, %d, %d}}," % (c[:6] + (flags,) + r))
    print("};")


if __name__ == "__main__":
    main()
