#!/usr/bin/env python3
"""Makes a large FictionBook 2 file by repeating the bodies of a real one.

    make_large_fb2.py SOURCE.fb2 OUT.fb2 [--times N]

The description and the binaries are kept once; every <body> is repeated N
times (section ids get a suffix so they stay unique), so the text grows while
the structure stays that of a real book.
"""
import argparse
import re
import sys


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("source")
    ap.add_argument("out")
    ap.add_argument("--times", type=int, default=4)
    a = ap.parse_args()
    data = open(a.source, "rb").read().decode("utf-8")
    bodies = re.findall(r"<body\b.*?</body>", data, flags=re.S)
    if not bodies:
        sys.exit("no <body> in %s" % a.source)
    main_bodies = [b for b in bodies if 'name="notes"' not in b[:100]]
    start = data.index(bodies[0])
    end = data.index(bodies[-1]) + len(bodies[-1])
    copies = []
    for n in range(a.times):
        for b in main_bodies:
            copies.append(re.sub(r'\bid="([^"]*)"', lambda m: 'id="%s-%d"' % (m.group(1), n), b))
    out = data[:start] + "".join(copies) + data[end:]
    open(a.out, "wb").write(out.encode("utf-8"))
    print("%s: %.1f MB, %d bodies" % (a.out, len(out.encode("utf-8")) / 1048576.0, len(copies)))


if __name__ == "__main__":
    main()
