#!/usr/bin/env python3
"""Makes DjVu books from the sample scans and pages for bench_pages and for
looking at the reader, with DjVuLibre's own encoders (djvulibre-bin):

  scan-colour.djvu   the six scanned pages of ocr-scan-multipage.pdf at
                     300 dpi, colour (c44), with its outline
  manual-bw.djvu     the first 60 pages of the R manual at 300 dpi, black and
                     white (cjb2), as a scanned book is
  manual-bw-indirect/index.djvu  the same pages as an indirect book

usage: make_djvu_pages.py SAMPLES_DIR OUT_DIR
"""
import glob
import os
import subprocess
import sys
import tempfile


def pages(pdf, first, last, mono, work):
    """Renders the pages with pdftoppm; returns the image files in order."""
    prefix = os.path.join(work, "page")
    args = ["pdftoppm", "-r", "300", "-f", str(first), "-l", str(last)]
    args += ["-mono"] if mono else []
    subprocess.run(args + [pdf, prefix], check=True)
    return sorted(glob.glob(prefix + "-*"))


def encode(images, mono, out):
    files = []
    for image in images:
        djvu = os.path.splitext(image)[0] + ".djvu"
        if mono:
            subprocess.run(["cjb2", "-dpi", "300", image, djvu], check=True)
        else:
            subprocess.run(["c44", "-dpi", "300", image, djvu], check=True)
        files.append(djvu)
    subprocess.run(["djvm", "-c", out] + files, check=True)


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    samples, out = sys.argv[1], sys.argv[2]
    os.makedirs(out, exist_ok=True)

    with tempfile.TemporaryDirectory() as work:
        scan = os.path.join(samples, "pdf", "ocr-scan-multipage.pdf")
        book = os.path.join(out, "scan-colour.djvu")
        encode(pages(scan, 1, 6, False, work), False, book)
        outline = os.path.join(work, "outline.txt")
        with open(outline, "w") as f:
            f.write('(bookmarks ("Scanned pages" "#1" ("Page two" "#2") ("Page five" "#5")))\n')
        with open(os.path.join(work, "meta.txt"), "w") as f:
            f.write('title\t"Scanned pages"\nauthor\t"Sample scanner"\n')
        subprocess.run(["djvused", book, "-e",
                        "set-outline %s; set-meta %s" % (outline, os.path.join(work, "meta.txt")),
                        "-s"], check=True)

    with tempfile.TemporaryDirectory() as work:
        manual = os.path.join(samples, "pdf", "r-intro.pdf")
        book = os.path.join(out, "manual-bw.djvu")
        encode(pages(manual, 1, 60, True, work), True, book)
        indirect = os.path.join(out, "manual-bw-indirect")
        os.makedirs(indirect, exist_ok=True)
        subprocess.run(["djvmcvt", "-i", book, indirect, "index.djvu"], check=True)


if __name__ == "__main__":
    main()
