#!/usr/bin/env python3
"""LibreOffice as the judge of the RTF engine (a developer's tool, not part of CI).

For each RTF document: load and save it with `kelvora convert`, then let LibreOffice read
the original and ours and compare what it sees:
  - words: the word sequence of LibreOffice's text export (it includes list numbers),
    as a similarity ratio (1.0 = the same words in the same order);
  - facts from its HTML export: paragraph alignments, table borders, row and column
    spans, picture sizes, header and footer texts, list number texts;
  - from its flat ODT export: fields (by kind), bookmarks (by name) and links.
A fact LibreOffice sees in the original but not in ours is reported as missing.

usage: tools/lo-fidelity.py [--kelvora build/kelvora] [FILE.rtf ...]
With no files: tests/rtf/samples/*.rtf and ../shared/rtf-samples/*.rtf.
Needs soffice (Debian: libreoffice-writer-nogui) on this machine only.
"""
import argparse
import collections
import difflib
import glob
import html
import os
import re
import shutil
import subprocess
import sys
import tempfile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def soffice(kind, files, outdir):
    subprocess.run(["soffice", "--headless", "--norestore", "--convert-to", kind, "--outdir", outdir] + files,
                   check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=600)


def words(path):
    with open(path, encoding="utf-8", errors="replace") as f:
        return f.read().split()


def facts(path):
    with open(path, encoding="utf-8", errors="replace") as f:
        page = f.read()
    found = collections.Counter()
    for m in re.finditer(r'<p[^>]*(?:align="?(\w+)|text-align:\s*(\w+))', page):
        found["align " + (m.group(1) or m.group(2)).lower()] += 1
    for m in re.finditer(r'<p[^>]*style="([^"]*)"', page):
        if re.search(r"border(?:-\w+)?:\s*(?!none)", m.group(1)):
            found["paragraph border"] += 1
        if "background" in m.group(1):
            found["paragraph shading"] += 1
    for m in re.finditer(r'<td([^>]*)>', page):
        attrs = m.group(1)
        for span in re.findall(r'(colspan|rowspan)="?(\d+)', attrs):
            found["%s %s" % span] += 1
        borders = re.findall(r'border(?:-(top|bottom|left|right))?:\s*([^;"]+)', attrs)
        for side, value in borders:
            if "none" not in value:
                found["border %s %s" % (side or "all", value.strip().split()[0])] += 1
        if "background" in attrs:
            found["cell shading"] += 1
    for m in re.finditer(r'<img[^>]*?width="?(\d+)[^>]*?height="?(\d+)', page):
        found["picture %sx%s" % m.groups()] += 1
    page = re.sub(r"(<sdfield[^>]*>)[^<]*", r"\1#", page)  # field results depend on the page
    for kind in ("header", "footer"):
        for m in re.finditer(r'<div title="%s">(.*?)</div>' % kind, page, re.S):
            text = " ".join(html.unescape(re.sub(r"<[^>]+>", " ", m.group(1))).split())
            found["%s: %s" % (kind, text)] += 1
    return found


FIELD_ELEMENTS = ("page-number", "page-count", "date", "time", "bookmark-ref", "reference-ref", "author-name",
                  "user-defined", "file-name", "chapter", "variable-get", "sequence", "title", "subject")


def fields(path):
    with open(path, encoding="utf-8", errors="replace") as f:
        page = f.read()
    found = collections.Counter()
    for m in re.finditer(r'<text:(%s)[ >/]' % "|".join(FIELD_ELEMENTS), page):
        found["field " + m.group(1)] += 1
    for m in re.finditer(r'<text:(bookmark(?:-start|-end)?) text:name="([^"]*)"', page):
        found["%s %s" % m.groups()] += 1
    for m in re.finditer(r'<text:a [^>]*?xlink:href="([^"]*)"', page):
        found["link " + html.unescape(m.group(1))] += 1
    return found


def numbers(path):
    # List number texts at the start of lines of the text export ("1.2.", "a)", "iv.").
    found = collections.Counter()
    with open(path, encoding="utf-8", errors="replace") as f:
        for line in f:
            m = re.match(r"\s*((?:\d+\.)+\d*|[a-zA-Z]\)|[ivxlc]+\.|\(\w+\))\s", line)
            if m:
                found["number " + m.group(1)] += 1
    return found


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--kelvora", default=os.path.join(ROOT, "build", "kelvora"))
    parser.add_argument("files", nargs="*")
    args = parser.parse_args()
    files = args.files or sorted(glob.glob(os.path.join(ROOT, "tests/rtf/samples/*.rtf")) +
                                 glob.glob(os.path.join(ROOT, "../shared/rtf-samples/*.rtf")))
    if not shutil.which("soffice"):
        sys.exit("soffice not found (apt-get install libreoffice-writer-nogui)")
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
    work = tempfile.mkdtemp(prefix="lo-fidelity-")
    pairs = []
    for path in files:
        name = os.path.splitext(os.path.basename(path))[0]
        orig = os.path.join(work, name + ".orig.rtf")
        ours = os.path.join(work, name + ".ours.rtf")
        shutil.copy(path, orig)
        subprocess.run([args.kelvora, "convert", path, ours], check=True, env=env)
        pairs.append((name, orig, ours))
    rtfs = [p for _, o, r in pairs for p in (o, r)]
    soffice("txt:Text (encoded):UTF8", rtfs, work)
    soffice("html:HTML (StarWriter)", rtfs, work)
    soffice("fodt", rtfs, work)
    worst = 1.0
    missing_total = 0
    print("%-28s %8s %8s  %s" % ("document", "words", "similar", "facts missing in ours"))
    for name, orig, ours in pairs:
        base_o, base_r = orig[:-4], ours[:-4]
        wo, wr = words(base_o + ".txt"), words(base_r + ".txt")
        ratio = difflib.SequenceMatcher(None, wo, wr, autojunk=False).ratio() if wo or wr else 1.0
        worst = min(worst, ratio)
        fo = facts(base_o + ".html") + numbers(base_o + ".txt") + fields(base_o + ".fodt")
        fr = facts(base_r + ".html") + numbers(base_r + ".txt") + fields(base_r + ".fodt")
        missing = fo - fr
        missing_total += sum(missing.values())
        print("%-28s %8d %8.3f  %s" % (name, len(wo), ratio,
                                      ", ".join("%s ×%d" % kv for kv in sorted(missing.items())) or "none"))
        if os.environ.get("VERBOSE"):
            print("   original:", dict(fo))
            print("   ours:    ", dict(fr))
    print("worst word similarity %.3f; facts missing %d; files in %s" % (worst, missing_total, work))


if __name__ == "__main__":
    main()
