#!/usr/bin/env python3
"""Makes a large Mobipocket 6 book by repeating the text of a real one.

    make_large_mobi.py SOURCE.mobi OUT.mobi [--times N]

SOURCE must be a MOBI 6 book with PalmDOC or no compression (for example
../shared/samples/mobi/calibre-moby-dick-mobi6.mobi). Its body is repeated N
times (filepos links in each copy are moved so they point into that copy),
compressed again with PalmDOC into 4096-byte records without trailing
entries, and written with the source's record 0, index records and images;
the record numbers in the header are shifted to match.
"""
import argparse
import re
import struct
import sys


def records(data):
    count = struct.unpack_from(">H", data, 76)[0]
    offsets = [struct.unpack_from(">I", data, 78 + 8 * i)[0] for i in range(count)] + [len(data)]
    return [data[offsets[i]:offsets[i + 1]] for i in range(count)]


def palmdoc_decompress(b):
    out = bytearray()
    i = 0
    while i < len(b):
        c = b[i]
        i += 1
        if 1 <= c <= 8:
            out += b[i:i + c]
            i += c
        elif c < 0x80:
            out.append(c)
        elif c >= 0xC0:
            out += bytes((0x20, c ^ 0x80))
        else:
            v = (c << 8) | b[i]
            i += 1
            dist, n = (v >> 3) & 0x7FF, (v & 7) + 3
            for _ in range(n):
                out.append(out[-dist])
    return bytes(out)


def palmdoc_compress(b):
    out = bytearray()
    seen = {}
    i, n = 0, len(b)
    while i < n:
        length = 0
        if i + 3 <= n:
            j = seen.get(b[i:i + 3])
            if j is not None and i - j <= 2047:
                while length < 10 and i + length < n and b[j + length] == b[i + length]:
                    length += 1
        start = i
        if length >= 3:
            v = 0x8000 | ((i - j) << 3) | (length - 3)
            out += bytes((v >> 8, v & 0xFF))
            i += length
        elif b[i] == 0x20 and i + 1 < n and 0x40 <= b[i + 1] <= 0x7F:
            out.append(b[i + 1] ^ 0x80)
            i += 2
        elif b[i] >= 0x80 or 1 <= b[i] <= 8:
            run = 1
            while run < 8 and i + run < n and (b[i + run] >= 0x80 or 1 <= b[i + run] <= 8):
                run += 1
            out.append(run)
            out += b[i:i + run]
            i += run
        else:
            out.append(b[i])
            i += 1
        for k in range(start, min(i, n - 2)):
            seen[b[k:k + 3]] = k
    return bytes(out)


def strip_trailing(rec, flags):
    size, num = len(rec), 0
    for bit in range(1, 16):
        if flags & (1 << bit):
            value, shift, pos = 0, 0, size - num
            while pos > 0 and shift < 28:
                pos -= 1
                value |= (rec[pos] & 0x7F) << shift
                shift += 7
                if rec[pos] & 0x80:
                    break
            num += value
    if flags & 1 and num < size:
        num += (rec[size - num - 1] & 3) + 1
    return rec[:max(0, size - num)]


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("source")
    ap.add_argument("out")
    ap.add_argument("--times", type=int, default=5)
    a = ap.parse_args()
    data = open(a.source, "rb").read()
    recs = records(data)
    r0 = bytearray(recs[0])
    compression, = struct.unpack_from(">H", r0, 0)
    text_count, = struct.unpack_from(">H", r0, 8)
    header_length, = struct.unpack_from(">I", r0, 20)
    version, = struct.unpack_from(">I", r0, 36)
    if data[60:68] != b"BOOKMOBI" or compression not in (1, 2) or version >= 8:
        sys.exit("%s: not a MOBI 6 book with PalmDOC or no compression" % a.source)
    flags = struct.unpack_from(">H", r0, 242)[0] if header_length >= 0xE4 else 0
    text = b""
    for rec in recs[1:text_count + 1]:
        rec = strip_trailing(rec, flags)
        text += palmdoc_decompress(rec) if compression == 2 else rec

    start = text.index(b"<body>") + len(b"<body>")
    end = text.rindex(b"</body>")
    body = text[start:end]
    joiner = b"<mbp:pagebreak/>"
    copies = []
    for n in range(a.times):
        shift = n * (len(body) + len(joiner))
        # Same width as the original (calibre writes ten digits), so the
        # positions of everything after a link stay valid.
        copy = re.sub(rb"filepos=(\d+)", lambda m: b"filepos=%010d" % (int(m.group(1)) + shift), body)
        copies.append(copy)
    big = text[:start] + joiner.join(copies) + text[end:]

    chunks = [big[i:i + 4096] for i in range(0, len(big), 4096)]
    new_text = [palmdoc_compress(c) for c in chunks]
    delta = len(new_text) - text_count

    struct.pack_into(">H", r0, 0, 2)
    struct.pack_into(">I", r0, 4, len(big))
    struct.pack_into(">H", r0, 8, len(new_text))
    if header_length >= 0xE4:
        struct.pack_into(">H", r0, 242, 0)  # no trailing entries
    for offset in (80, 108, 200, 208, 244):  # first non-book, first image, FCIS, FLIS, NCX
        if offset + 4 <= 16 + header_length:
            value, = struct.unpack_from(">I", r0, offset)
            if value not in (0, 0xFFFFFFFF):
                struct.pack_into(">I", r0, offset, value + delta)
    if 196 <= 16 + header_length:
        struct.pack_into(">HH", r0, 192, 1, len(new_text))  # first and last content record

    out_recs = [bytes(r0)] + new_text + recs[text_count + 1:]
    header = bytearray(data[:78])
    struct.pack_into(">H", header, 76, len(out_recs))
    offset = 78 + 8 * len(out_recs) + 2
    table = b""
    for i, rec in enumerate(out_recs):
        table += struct.pack(">II", offset, 2 * i)
        offset += len(rec)
    with open(a.out, "wb") as f:
        f.write(bytes(header) + table + b"\0\0" + b"".join(out_recs))
    print("%s: %.1f MB of text, %d text records" % (a.out, len(big) / 1048576.0, len(new_text)))


if __name__ == "__main__":
    main()
