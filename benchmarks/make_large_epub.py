#!/usr/bin/env python3
"""Makes a large EPUB by repeating the chapters of real ones.

    make_large_epub.py BASE.epub OUT.epub [--times N] [--add OTHER.epub ...]

The package, style sheets, images and table of contents of BASE are kept;
every content document of its spine is repeated N times (copies get a
suffix, and an entry in the spine and the manifest), and the content
documents of each OTHER book are appended once after them (with their
images and style sheets), so the text grows while the structure stays that
of real books. The mimetype entry is written first and stored.
"""
import argparse
import os
import posixpath
import re
import sys
import zipfile

ITEM = re.compile(r"<item\b[^>]*?/>|<item\b[^>]*>.*?</item>", re.S)


def attr(tag, name):
    m = re.search(r'\b%s\s*=\s*"([^"]*)"' % re.escape(name), tag) or re.search(
        r"\b%s\s*=\s*'([^']*)'" % re.escape(name), tag)
    return m.group(1) if m else None


def package_path(z):
    container = z.read("META-INF/container.xml").decode("utf-8")
    return attr(re.search(r"<rootfile\b[^>]*>", container).group(0), "full-path")


def read_book(path):
    z = zipfile.ZipFile(path)
    opf_path = package_path(z)
    opf = z.read(opf_path).decode("utf-8")
    items = {}
    for tag in ITEM.findall(opf):
        items[attr(tag, "id")] = (attr(tag, "href"), attr(tag, "media-type"), attr(tag, "properties") or "")
    spine = re.findall(r"<itemref\b[^>]*\bidref\s*=\s*[\"']([^\"']*)[\"']", opf)
    return z, opf_path, opf, items, spine


def with_suffix(href, suffix):
    stem, dot, ext = href.rpartition(".")
    return "%s-%s.%s" % (stem, suffix, ext) if dot else href + "-" + suffix


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("base")
    ap.add_argument("out")
    ap.add_argument("--times", type=int, default=4)
    ap.add_argument("--add", nargs="*", default=[])
    a = ap.parse_args()

    z, opf_path, opf, items, spine = read_book(a.base)
    base_dir = posixpath.dirname(opf_path)
    files = {name: z.read(name) for name in z.namelist() if name != "mimetype" and not name.endswith("/")}
    new_items, new_refs = [], []

    def content(item_id, its):
        href, media, props = its.get(item_id, (None, None, ""))
        return href if media == "application/xhtml+xml" and "nav" not in props.split() else None

    for n in range(1, a.times):
        for idref in spine:
            href = content(idref, items)
            if not href:
                continue
            copy = with_suffix(href, "r%d" % n)
            files[posixpath.join(base_dir, copy)] = files[posixpath.join(base_dir, href)]
            new_items.append('<item id="%s-r%d" href="%s" media-type="application/xhtml+xml"/>' % (idref, n, copy))
            new_refs.append('<itemref idref="%s-r%d"/>' % (idref, n))

    for k, other in enumerate(a.add):
        oz, o_opf_path, _, o_items, o_spine = read_book(other)
        o_dir = posixpath.dirname(o_opf_path)
        prefix = "added%d" % k
        for item_id, (href, media, props) in o_items.items():
            if media in ("application/x-dtbncx+xml",) or "nav" in props.split():
                continue
            source = posixpath.normpath(posixpath.join(o_dir, href))
            if source not in oz.namelist():
                continue
            target = posixpath.join(prefix, href)
            files[posixpath.join(base_dir, target)] = oz.read(source)
            new_items.append('<item id="%s-%s" href="%s" media-type="%s"/>' % (prefix, item_id, target, media))
        for idref in o_spine:
            if content(idref, o_items):
                new_refs.append('<itemref idref="%s-%s"/>' % (prefix, idref))

    opf = opf.replace("</manifest>", "\n".join(new_items) + "\n</manifest>", 1)
    opf = opf.replace("</spine>", "\n".join(new_refs) + "\n</spine>", 1)
    files[opf_path] = opf.encode("utf-8")

    with zipfile.ZipFile(a.out, "w") as out:
        out.writestr(zipfile.ZipInfo("mimetype"), b"application/epub+zip", compress_type=zipfile.ZIP_STORED)
        for name, data in files.items():
            out.writestr(name, data, compress_type=zipfile.ZIP_DEFLATED)
    text = sum(len(d) for n, d in files.items() if n.endswith((".xhtml", ".html", ".htm")))
    print("%s: %.1f MB, %.1f MB of XHTML, %d spine documents" % (
        a.out, os.path.getsize(a.out) / 1048576.0,
        text / 1048576.0, len(spine) + len(new_refs)))


if __name__ == "__main__":
    sys.exit(main())
