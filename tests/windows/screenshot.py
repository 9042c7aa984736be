#!/usr/bin/env python3
"""Turns an X window dump (xwd, TrueColor, 24 or 32 bits a pixel) into a PNG and checks
that a rectangle of it is not black.

usage: screenshot.py DUMP.xwd OUT.png [--region X Y W H] [--min-lit FRACTION]
Prints the share of lit pixels and the mean colour; exits 1 when the share
of lit pixels (any channel above 24) is below FRACTION (default 0.02)."""
import argparse
import struct
import sys
import zlib


def read_xwd(path):
    data = open(path, "rb").read()
    if len(data) < 100:
        raise ValueError("not an X window dump: too short")
    fields = struct.unpack(">25I", data[:100])
    header_size, version = fields[0], fields[1]
    if version != 7:
        raise ValueError(f"not an X window dump (version {version})")
    width, height = fields[4], fields[5]
    byte_order, bits_per_pixel, bytes_per_line = fields[7], fields[11], fields[12]
    masks = fields[14:17]
    colour_count = fields[19]
    if bits_per_pixel not in (24, 32):
        raise ValueError(f"only 24- and 32-bit pixels are handled, got {bits_per_pixel}")
    step = bits_per_pixel // 8
    start = header_size + colour_count * 12
    if len(data) < start + bytes_per_line * height:
        raise ValueError("truncated X window dump")
    order = "little" if byte_order == 0 else "big"
    shifts = [(m & -m).bit_length() - 1 for m in masks]
    rows = []
    for y in range(height):
        line = data[start + y * bytes_per_line:start + y * bytes_per_line + width * step]
        row = bytearray(width * 3)
        for x in range(width):
            p = int.from_bytes(line[x * step:(x + 1) * step], order)
            row[3 * x] = (p & masks[0]) >> shifts[0]
            row[3 * x + 1] = (p & masks[1]) >> shifts[1]
            row[3 * x + 2] = (p & masks[2]) >> shifts[2]
        rows.append(bytes(row))
    return width, height, rows


def write_png(path, width, height, rows):
    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))

    raw = b"".join(b"\0" + row for row in rows)
    with open(path, "wb") as out:
        out.write(b"\x89PNG\r\n\x1a\n")
        out.write(chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)))
        out.write(chunk(b"IDAT", zlib.compress(raw, 6)))
        out.write(chunk(b"IEND", b""))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("dump")
    parser.add_argument("png")
    parser.add_argument("--region", nargs=4, type=int, metavar=("X", "Y", "W", "H"))
    parser.add_argument("--min-lit", type=float, default=0.02)
    args = parser.parse_args()
    try:
        width, height, rows = read_xwd(args.dump)
    except (OSError, ValueError) as error:
        print(f"screenshot: {error}", file=sys.stderr)
        return 2
    write_png(args.png, width, height, rows)
    x0, y0, w, h = args.region or (0, 0, width, height)
    x1, y1 = min(width, x0 + w), min(height, y0 + h)
    x0, y0 = max(0, x0), max(0, y0)
    total = lit = 0
    sums = [0, 0, 0]
    for y in range(y0, y1):
        row = rows[y]
        for x in range(x0, x1):
            r, g, b = row[3 * x], row[3 * x + 1], row[3 * x + 2]
            total += 1
            sums[0] += r
            sums[1] += g
            sums[2] += b
            if max(r, g, b) > 24:
                lit += 1
    if total == 0:
        print("screenshot: empty region", file=sys.stderr)
        return 2
    share = lit / total
    mean = [round(s / total, 1) for s in sums]
    print(f"screenshot: {args.png}: lit {share:.3f} of {total} pixels, mean colour {mean}")
    return 0 if share >= args.min_lit else 1


if __name__ == "__main__":
    sys.exit(main())
