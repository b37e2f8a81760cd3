#!/usr/bin/env python3
"""Makes larger page books from the samples for bench_pages:

  large.pdf        the R manual eight times over (pdfunite, from poppler-utils)
  large.cbz        the Craphound comic's 24 pages ten times over (240 pages)
  large-solid.cbr  the same 240 pages in a solid RAR archive (the rar tool)

usage: make_large_pages.py SAMPLES_DIR OUT_DIR
"""
import os
import shutil
import subprocess
import sys
import tempfile
import zipfile


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    samples, out = sys.argv[1], sys.argv[2]
    os.makedirs(out, exist_ok=True)

    manual = os.path.join(samples, "pdf", "r-intro.pdf")
    subprocess.run(["pdfunite"] + [manual] * 8 + [os.path.join(out, "large.pdf")], check=True)

    comic = os.path.join(samples, "cbz", "acbf-craphound-24-pages.cbz")
    with zipfile.ZipFile(comic) as source:
        pages = [(n, source.read(n)) for n in source.namelist()
                 if n.lower().endswith((".jpg", ".jpeg", ".png"))]
    with tempfile.TemporaryDirectory() as scratch:
        names = []
        with zipfile.ZipFile(os.path.join(out, "large.cbz"), "w", zipfile.ZIP_DEFLATED) as target:
            for copy in range(10):
                for name, data in pages:
                    entry = "%02d-%s" % (copy, os.path.basename(name))
                    target.writestr(entry, data)
                    with open(os.path.join(scratch, entry), "wb") as f:
                        f.write(data)
                    names.append(entry)
        solid = os.path.join(out, "large-solid.cbr")
        if os.path.exists(solid):
            os.remove(solid)
        if shutil.which("rar"):
            subprocess.run(["rar", "a", "-idq", "-s", "-m3", solid] + names, cwd=scratch, check=True)


if __name__ == "__main__":
    main()
