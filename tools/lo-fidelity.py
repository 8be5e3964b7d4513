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

With --roads, the words and pictures each road keeps: LibreOffice's text export of the
original is the reference, and for each document it reports the share of its words found,
in order, in `kelvora text`, in LibreOffice's text export of `kelvora convert`'s output and
in the page of `kelvora html`; and the pictures ("\\pict" groups, an alternative's kept copy
in "\\nonshppict" and a shape's fill not counted) in the original, after `convert`, and the converter's
picture marks in the page (pictures in headers, footers and footnotes, which the converter
leaves out, not counted there). Ends with the median and 10th percentile of each road.

usage: tools/lo-fidelity.py [--kelvora build/kelvora] [--print | --roads] [FILE.rtf ...]
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
import unicodedata

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


def rtf_pictures(data):
    """(pictures, pictures outside headers, footers and footnotes) of an RTF file's bytes."""
    stack, total, in_body, name = [], 0, 0, b""
    pending_group = False
    i, n = 0, len(data)
    while i < n:
        c = data[i]
        if c == 0x7B:  # {
            stack.append(None)
            pending_group = True
            i += 1
        elif c == 0x7D:  # }
            if stack:
                stack.pop()
            i += 1
        elif c == 0x5C:  # backslash
            m = re.match(rb"\\([a-zA-Z]+)(-?\d+)? ?", data[i:i + 64])
            if not m:
                i += 2
                continue
            word = m.group(1).decode()
            i += m.end()
            if word == "bin" and m.group(2):
                i += max(0, int(m.group(2)))
                continue
            if stack and stack[-1] is None:
                stack[-1] = word
            if word == "sn":
                name = re.match(rb"[^}]*", data[i:i + 64]).group(0).strip()
            if word == "pict":
                inside = set(w for w in stack[:-1] if w)
                # A shape's own picture is its "pib"; its other pictures fill or edge it.
                if "nonshppict" not in inside and ("sv" not in inside or name == b"pib"):
                    total += 1
                    if not inside & {"header", "headerl", "headerr", "headerf", "footer", "footerl", "footerr",
                                     "footerf", "footnote"}:
                        in_body += 1
        else:
            if stack and stack[-1] is None and c not in b"\r\n":
                stack[-1] = ""
            i += 1
    return total, in_body


def word_list(text):
    return re.findall(r"\w+", unicodedata.normalize("NFC", text).lower())


def page_text(page):
    """What a browser shows of a page's markup: tags that break a line are white space,
    the others (links, fonts) nothing."""
    page = re.sub(r"(?i)<(?:br|p|/?td|/?tr|/?table|/?li|/?ul|/?ol|hr|/?div|/?center)\b[^>]*>", " ", page)
    return html.unescape(re.sub(r"<[^>]*>", "", page))


def content_words(text):
    """The words of a text export without the list numbers and bullets that start its lines
    (the editor's lines and the converter's page write them their own way, or not at all)."""
    marker = re.compile(r"^\s*(?:\d+(?:\.\d+)*[.)]?|[ivxlc]+[.)]|[IVXLC]+[.)]|[a-zA-Z][.)]|\(\w+\)|[•◦▪·\-–])\s+")
    return word_list("\n".join(marker.sub("", line) for line in text.splitlines()))


def kept(reference, got):
    """The share of the reference's words found in order in `got`."""
    if not reference:
        return 1.0
    matcher = difflib.SequenceMatcher(None, reference, got, autojunk=False)
    return sum(b.size for b in matcher.get_matching_blocks()) / len(reference)


def percentile(values, share):
    ordered = sorted(values)
    return ordered[min(len(ordered) - 1, int(share * len(ordered)))] if ordered else 1.0


def judged_words(rtf, work):
    """The words of LibreOffice's text export of `rtf` (made beforehand), or of unrtf's page
    where LibreOffice refuses a document other readers open; None when neither reads it."""
    if os.path.exists(rtf[:-4] + ".txt"):
        with open(rtf[:-4] + ".txt", encoding="utf-8", errors="replace") as f:
            return content_words(f.read()), ""
    if not shutil.which("unrtf"):
        return None, ""
    out = subprocess.run(["unrtf", "--html", rtf], capture_output=True, timeout=300, cwd=work).stdout
    body = out.decode("utf-8", "replace").split("<body>", 1)[-1]
    return content_words(html.unescape(re.sub(r"<!--.*?-->|<[^>]*>", " ", body.replace("<br>", "\n")))), "(unrtf) "


def main_roads(args, files, env):
    work = tempfile.mkdtemp(prefix="lo-roads-")
    docs = []
    for number, path in enumerate(files):
        name = "%03d-%s" % (number, os.path.splitext(os.path.basename(path))[0])
        orig, ours, page = (os.path.join(work, name + ext) for ext in (".orig.rtf", ".ours.rtf", ".html"))
        shutil.copy(path, orig)
        text = subprocess.run([args.kelvora, "text", path], env=env, capture_output=True, timeout=300)
        converted = subprocess.run([args.kelvora, "convert", path, ours], env=env, capture_output=True, timeout=300)
        converted_ok = converted.returncode == 0 and os.path.exists(ours)
        made = subprocess.run([args.kelvora, "html", path, page], env=env, capture_output=True, timeout=300)
        body = ""
        if made.returncode == 0 and os.path.exists(page):
            with open(page, "rb") as f:
                body = f.read().decode("cp1252", "replace").split("<BODY", 1)[-1].split(">", 1)[-1]
        docs.append({"name": name, "orig": orig, "ours": ours if converted_ok else None, "page": body,
                     "text": text.stdout.decode("utf-8", "replace"),
                     "failed": [road for road, r in (("text", text), ("convert", converted), ("html", made))
                                if r.returncode != 0]})
    soffice("txt:Text (encoded):UTF8", [d["orig"] for d in docs] + [d["ours"] for d in docs if d["ours"]], work)
    roads = collections.defaultdict(list)
    pictures = collections.Counter()
    print("%-34s %6s %6s %7s %6s  %s" % ("document", "words", "text", "convert", "html", "pictures orig/convert/html"))
    for d in docs:
        reference, judge = judged_words(d["orig"], work)
        if reference is None:
            print("%-34s no judge reads it" % d["name"][:34])
            continue
        converted = (judged_words(d["ours"], work)[0] or []) if d["ours"] else []
        marks = d["page"].count("[*** picture ***]")
        page_words = word_list(page_text(d["page"].replace("[*** picture ***]", " ")))
        row = {"text": kept(reference, word_list(d["text"])), "convert": kept(reference, converted),
               "html": kept(reference, page_words)}
        for road, value in row.items():
            roads[road].append(value)
        with open(d["orig"], "rb") as f:
            total, in_body = rtf_pictures(f.read())
        saved = 0
        if d["ours"]:
            with open(d["ours"], "rb") as f:
                saved = rtf_pictures(f.read())[0]
        pictures.update({"orig": total, "saved": min(saved, total), "body": in_body, "marks": min(marks, in_body)})
        print("%-34s %6d %6.3f %7.3f %6.3f  %d/%d/%d %s" % (d["name"][:34], len(reference), row["text"], row["convert"],
                                                        row["html"], total, saved, marks,
                                                        judge + ("FAILED " + ",".join(d["failed"]) if d["failed"] else "")))
    for road, values in roads.items():
        print("%-8s median %.3f, 10th percentile %.3f, worst %.3f (%d documents)" % (
            road, percentile(values, 0.5), percentile(values, 0.1), min(values), len(values)))
    print("pictures: %d of %d survive convert (%.1f%%); %d of %d outside headers and footers are marked in html "
          "(%.1f%%); files in %s" % (pictures["saved"], pictures["orig"], 100 * pictures["saved"] / max(1, pictures["orig"]),
                                      pictures["marks"], pictures["body"], 100 * pictures["marks"] / max(1, pictures["body"]),
                                      work))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--kelvora", default=os.path.join(ROOT, "build", "kelvora"))
    parser.add_argument("--print", action="store_true", help="compare the printed pages")
    parser.add_argument("--roads", action="store_true", help="words and pictures kept by text, convert and html")
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
    if args.roads:
        main_roads(args, files, env)
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
