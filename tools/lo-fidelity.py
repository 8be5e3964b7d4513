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

With --print, the printed pages instead: each document is printed with `kelvora print`
and exported with `soffice --convert-to pdf`, both are read with `pdftotext -bbox`, the
words are aligned, and for each document it reports
  - placed: the share of LibreOffice's words that Kelvora prints on the same page within
    8 pt vertically and 24 pt horizontally;
  - pages: both page counts;
  - header/footer: the share of LibreOffice's words in the top and bottom 12% of a page
    that Kelvora prints on that page in the same band.

usage: tools/lo-fidelity.py [--kelvora build/kelvora] [--print] [FILE.rtf ...]
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


def pdf_words(pdf):
    """[(page, text, xMin, yMin, xMax, yMax)] and the page heights of a PDF."""
    out = subprocess.run(["pdftotext", "-bbox", pdf, "-"], check=True, capture_output=True, text=True).stdout
    found, heights, page = [], [], 0
    for line in out.splitlines():
        m = re.search(r'<page width="([\d.]+)" height="([\d.]+)"', line)
        if m:
            page += 1
            heights.append(float(m.group(2)))
            continue
        m = re.search(r'<word xMin="([\d.-]+)" yMin="([\d.-]+)" xMax="([\d.-]+)" yMax="([\d.-]+)">(.*)</word>', line)
        if m:
            found.append((page, html.unescape(m.group(5)), *map(float, m.group(1, 2, 3, 4))))
    return found, heights


def in_band(word, heights):
    """Whether a word stands in the top or bottom 12% of its page."""
    page, _, _, y0, _, y1 = word
    h = heights[page - 1]
    return y1 <= 0.12 * h or y0 >= 0.88 * h


def judge_print(lo_pdf, our_pdf):
    lo, lo_heights = pdf_words(lo_pdf)
    ours, our_heights = pdf_words(our_pdf)
    matcher = difflib.SequenceMatcher(None, [w[1] for w in lo], [w[1] for w in ours], autojunk=False)
    placed = bands = band_total = 0
    for block in matcher.get_matching_blocks():
        for k in range(block.size):
            a, b = lo[block.a + k], ours[block.b + k]
            if a[0] == b[0] and abs(a[3] - b[3]) <= 8 and abs(a[2] - b[2]) <= 24:
                placed += 1
    # Header and footer words: LibreOffice's in the bands, found on the same page in the
    # same band of ours (page fields make sequence alignment unreliable there).
    ours_in_band = collections.Counter((w[0], w[1]) for w in ours if in_band(w, our_heights))
    for w in lo:
        if in_band(w, lo_heights):
            band_total += 1
            if ours_in_band[(w[0], w[1])] > 0:
                ours_in_band[(w[0], w[1])] -= 1
                bands += 1
    return {"words": len(lo), "placed": placed / len(lo) if lo else 1.0, "lo_pages": len(lo_heights),
            "our_pages": len(our_heights), "band_words": band_total, "band_found": bands}


def main_print(args, files, env):
    work = tempfile.mkdtemp(prefix="lo-print-")
    ours = {}
    for path in files:
        name = os.path.splitext(os.path.basename(path))[0]
        shutil.copy(path, os.path.join(work, name + ".rtf"))
        ours[name] = os.path.join(work, name + ".kelvora.pdf")
        subprocess.run([args.kelvora, "print", path, "-o", ours[name]], check=True, env=env,
                       stdout=subprocess.DEVNULL)
    soffice("pdf", [os.path.join(work, n + ".rtf") for n in ours], work)
    totals = collections.Counter()
    same_pages = 0
    print("%-30s %6s %7s %9s %13s" % ("document", "words", "placed", "pages", "header/footer"))
    for name, our_pdf in ours.items():
        r = judge_print(os.path.join(work, name + ".pdf"), our_pdf)
        same_pages += r["lo_pages"] == r["our_pages"]
        totals.update({k: r[k] for k in ("words", "band_words", "band_found")})
        totals["placed_words"] += round(r["placed"] * r["words"])
        print("%-30s %6d %7.2f %4d/%-4d %6d/%-6d" % (name, r["words"], r["placed"], r["our_pages"], r["lo_pages"],
                                                  r["band_found"], r["band_words"]))
    print("all: placed %.2f of %d words; same page count %d of %d; header/footer words %d of %d; files in %s" % (
        totals["placed_words"] / max(1, totals["words"]), totals["words"], same_pages, len(ours),
        totals["band_found"], totals["band_words"], work))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--kelvora", default=os.path.join(ROOT, "build", "kelvora"))
    parser.add_argument("--print", action="store_true", help="compare the printed pages")
    parser.add_argument("files", nargs="*")
    args = parser.parse_args()
    files = args.files or sorted(glob.glob(os.path.join(ROOT, "tests/rtf/samples/*.rtf")) +
                                 glob.glob(os.path.join(ROOT, "../shared/rtf-samples/*.rtf")))
    if not shutil.which("soffice"):
        sys.exit("soffice not found (apt-get install libreoffice-writer-nogui)")
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
    if args.print:
        main_print(args, files, env)
        return
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
