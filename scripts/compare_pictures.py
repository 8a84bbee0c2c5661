#!/usr/bin/env python3
"""Compares two screenshots of the game window pixel by pixel.

Prints the pixels that differ, the largest difference in any channel, and
the pixels whose difference exceeds 2 levels. Exits 1 unless the pictures
look the same to a person: at most 2 levels in any channel on at most 0.5 %
of the pixels (and the same size). Reads the 8-bit RGB(A), non-interlaced PNG files the game writes.

    compare_pictures.py A.png B.png [DIFF.png]

DIFF.png, when given, shows every differing pixel white on black.
"""
import struct
import sys
import zlib


def read_png(path):
    data = open(path, "rb").read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise SystemExit(f"{path}: not a PNG file")
    at, idat, width, height, channels = 8, b"", 0, 0, 0
    while at < len(data):
        length, kind = struct.unpack(">I4s", data[at:at + 8])
        body = data[at + 8:at + 8 + length]
        at += 12 + length
        if kind == b"IHDR":
            width, height, depth, colour, _, _, interlace = struct.unpack(">IIBBBBB", body)
            if depth != 8 or interlace != 0 or colour not in (2, 6):
                raise SystemExit(f"{path}: only 8-bit RGB(A) non-interlaced pictures")
            channels = 4 if colour == 6 else 3
        elif kind == b"IDAT":
            idat += body
    raw = zlib.decompress(idat)
    stride = width * channels
    rows, previous = [], bytearray(stride)
    for y in range(height):
        kind = raw[y * (stride + 1)]
        line = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            left = line[i - channels] if i >= channels else 0
            up = previous[i]
            corner = previous[i - channels] if i >= channels else 0
            if kind == 1:
                line[i] = (line[i] + left) & 255
            elif kind == 2:
                line[i] = (line[i] + up) & 255
            elif kind == 3:
                line[i] = (line[i] + (left + up) // 2) & 255
            elif kind == 4:
                p = left + up - corner
                pa, pb, pc = abs(p - left), abs(p - up), abs(p - corner)
                line[i] = (line[i] + (left if pa <= pb and pa <= pc else up if pb <= pc else corner)) & 255
        rows.append(bytes(line))
        previous = line
    return width, height, channels, rows


def write_mask(path, width, height, mask):
    raw = b"".join(b"\x00" + bytes(255 if m else 0 for m in mask[y * width:(y + 1) * width]) for y in range(height))

    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF)

    with open(path, "wb") as out:
        out.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 0, 0, 0, 0))
                  + chunk(b"IDAT", zlib.compress(raw)) + chunk(b"IEND", b""))


def main():
    if len(sys.argv) not in (3, 4):
        raise SystemExit(__doc__)
    wa, ha, ca, a = read_png(sys.argv[1])
    wb, hb, cb, b = read_png(sys.argv[2])
    if (wa, ha) != (wb, hb):
        print(f"sizes differ: {wa}x{ha} and {wb}x{hb}")
        return 1
    differing = visible = largest = 0
    mask = []
    for y in range(ha):
        ra, rb = a[y], b[y]
        for x in range(wa):
            d = max(abs(ra[x * ca + c] - rb[x * cb + c]) for c in range(3))
            mask.append(d > 0)
            if d:
                differing += 1
                largest = max(largest, d)
                visible += d > 2
    total = wa * ha
    print(f"{differing} of {total} pixels differ ({100.0 * differing / total:.3f} %), largest difference {largest}, "
          f"{visible} above 2 levels ({100.0 * visible / total:.3f} %)")
    if len(sys.argv) == 4:
        write_mask(sys.argv[3], wa, ha, mask)
    return 1 if visible > 0 or differing * 200 > total else 0


if __name__ == "__main__":
    sys.exit(main())
