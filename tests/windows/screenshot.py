#!/usr/bin/env python3
"""Turns an X window dump (xwd, TrueColor, 24 or 32 bits a pixel) into a PNG and checks
a rectangle of it: not black, and optionally made of the same colours as a
reference picture of about the same moment (PNG frames of the Linux capture;
given several, the best match counts, as live timing is only approximate).

usage: screenshot.py DUMP.xwd OUT.png [--region X Y W H] [--min-lit FRACTION]
                     [--reference REF.png... --min-similarity S] [--quick]
--quick: only the lit check, on every 8th pixel, and no PNG (OUT.png unused).
Exits 1 when the share of lit pixels (any channel above 24) is below FRACTION
(default 0.02), or when the colour similarity to the reference is below S.

The similarity compares which colours the two pictures are made of, not where
they are: both are reduced to a histogram over 4 x 4 x 4 RGB boxes and the
overlap of the two histograms is taken (1: the same mix, 0: no colour in
common). Live timing and random detail move things around; a missing or
extra layer changes the mix."""
import argparse
import struct
import sys
import zlib


def read_xwd(path, step=1):
    """-> (width, height, RGB rows); with step > 1 only every step-th row and
    column is decoded (the others stay black), for a quick look."""
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
    start = header_size + colour_count * 12
    if len(data) < start + bytes_per_line * height:
        raise ValueError("truncated X window dump")
    order = "little" if byte_order == 0 else "big"
    shifts = [(m & -m).bit_length() - 1 for m in masks]
    rows = []
    size = bits_per_pixel // 8
    for y in range(height):
        row = bytearray(width * 3)
        rows.append(row)
        if y % step:
            continue
        line = data[start + y * bytes_per_line:start + y * bytes_per_line + width * size]
        for x in range(0, width, step):
            p = int.from_bytes(line[x * size:(x + 1) * size], order)
            row[3 * x] = (p & masks[0]) >> shifts[0]
            row[3 * x + 1] = (p & masks[1]) >> shifts[1]
            row[3 * x + 2] = (p & masks[2]) >> shifts[2]
    return width, height, rows


def read_png(path):
    """8-bit, non-interlaced RGB or RGBA PNG -> (width, height, RGB rows)."""
    data = open(path, "rb").read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise ValueError(f"{path}: not a PNG file")
    position, header, compressed = 8, None, []
    while position + 8 <= len(data):
        length, kind = struct.unpack(">I4s", data[position:position + 8])
        body = data[position + 8:position + 8 + length]
        position += 12 + length
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            compressed.append(body)
        elif kind == b"IEND":
            break
    if header is None:
        raise ValueError(f"{path}: no PNG header")
    width, height, depth, colour_type, _, _, interlace = header
    if depth != 8 or colour_type not in (2, 6) or interlace:
        raise ValueError(f"{path}: only 8-bit non-interlaced RGB or RGBA PNG files are handled")
    step = 3 if colour_type == 2 else 4
    raw = zlib.decompress(b"".join(compressed))
    stride = width * step
    if len(raw) < height * (stride + 1):
        raise ValueError(f"{path}: truncated picture data")
    rows, previous = [], bytearray(stride)
    for y in range(height):
        kind = raw[y * (stride + 1)]
        line = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride if kind else 0):  # filter 0: the bytes as they are
            left = line[i - step] if i >= step else 0
            up = previous[i]
            corner = previous[i - step] if i >= step else 0
            if kind == 1:
                line[i] = (line[i] + left) & 255
            elif kind == 2:
                line[i] = (line[i] + up) & 255
            elif kind == 3:
                line[i] = (line[i] + (left + up) // 2) & 255
            elif kind == 4:
                guess = left + up - corner
                pa, pb, pc = abs(guess - left), abs(guess - up), abs(guess - corner)
                line[i] = (line[i] + (left if pa <= pb and pa <= pc else up if pb <= pc else corner)) & 255
            elif kind != 0:
                raise ValueError(f"{path}: bad filter {kind}")
        previous = line
        rows.append(bytes(line) if step == 3 else bytes(b for i, b in enumerate(line) if i % 4 != 3))
    return width, height, rows


def colour_histogram(rows, x0, y0, x1, y1, step=2):
    """Shares of the 64 RGB boxes over every step-th pixel of the rectangle."""
    counts = [0] * 64
    for y in range(y0, y1, step):
        row = rows[y]
        for x in range(x0, x1, step):
            counts[(row[3 * x] >> 6) * 16 + (row[3 * x + 1] >> 6) * 4 + (row[3 * x + 2] >> 6)] += 1
    total = sum(counts) or 1
    return [c / total for c in counts]


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
    parser.add_argument("--reference", nargs="+")
    parser.add_argument("--min-similarity", type=float, default=0.5)
    parser.add_argument("--quick", action="store_true")
    args = parser.parse_args()
    try:
        step = 8 if args.quick else 1
        width, height, rows = read_xwd(args.dump, step)
    except (OSError, ValueError) as error:
        print(f"screenshot: {error}", file=sys.stderr)
        return 2
    if not args.quick:
        write_png(args.png, width, height, rows)
    x0, y0, w, h = args.region or (0, 0, width, height)
    x1, y1 = min(width, x0 + w), min(height, y0 + h)
    x0, y0 = max(0, x0), max(0, y0)
    total = lit = 0
    sums = [0, 0, 0]
    for y in range(y0 - y0 % step + (step if y0 % step else 0), y1, step):
        row = rows[y]
        for x in range(x0 - x0 % step + (step if x0 % step else 0), x1, step):
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
    if share < args.min_lit or args.quick:
        return 0 if share >= args.min_lit else 1
    if args.reference:
        ours = colour_histogram(rows, x0, y0, x1, y1)
        best, best_path = -1.0, None
        for path in args.reference:
            try:
                ref_width, ref_height, ref_rows = read_png(path)
            except (OSError, ValueError, zlib.error) as error:
                print(f"screenshot: {error}", file=sys.stderr)
                return 2
            if (ref_width, ref_height) != (width, height):
                print(f"screenshot: {path} is {ref_width}x{ref_height}, the screenshot {width}x{height}",
                      file=sys.stderr)
                return 2
            theirs = colour_histogram(ref_rows, x0, y0, x1, y1)
            similarity = sum(min(a, b) for a, b in zip(ours, theirs))
            if similarity > best:
                best, best_path = similarity, path
        print(f"screenshot: colour similarity {best:.3f}, best with {best_path}")
        if best < args.min_similarity:
            return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
