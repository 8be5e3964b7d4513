#!/usr/bin/env python3
"""Makes RTF documents of many kinds for tools/lo-fidelity.py --roads (a developer's tool).

Two sources:
  - pages written here (text in several languages, lists, tables, pictures: PNG, JPEG,
    Windows and enhanced metafiles) that LibreOffice saves as RTF, directly and through
    .docx, .doc and .odt;
  - RTF written here in the manner of other programs: a WordPad-like editor, a Mac text
    editor, Word's newer groups, an older office suite's starred character styles, report
    generators with device bitmaps, Mac and OS/2 pictures, an e-mail program's deep nesting,
    other code pages.

usage: tools/make-rtf-corpus.py OUTDIR      (needs soffice on this machine only)
"""
import glob
import os
import random
import shutil
import struct
import subprocess
import sys
import unicodedata
import zlib

OUT = sys.argv[1] if len(sys.argv) > 1 else "rtf-corpus"
WORDS = ("agreement client party notice term payment invoice schedule clause letter office report "
         "figure table section annex summary review meeting budget project delivery quality service "
         "contract period amount total balance account statement reference signature witness date "
         "Müller Straße café crème naïve €uro ¶graph «Łukasz» Wójcik Zażółć gęślą jaźń Ærø Ñandú").split()


def sentence(rng, n=None):
    n = n or rng.randint(6, 18)
    return " ".join(rng.choice(WORDS) for _ in range(n)).capitalize() + "."


def paragraph(rng, k=3):
    return " ".join(sentence(rng) for _ in range(k))


def png(width, height, colour):
    raw = b"".join(b"\0" + bytes(colour) * width for _ in range(height))
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)) +
            chunk(b"IDAT", zlib.compress(raw)) + chunk(b"IEND", b""))


def wmf(colour=(255, 0, 0)):
    def rec(func, *params):
        return struct.pack("<IH", 3 + len(params), func) + b"".join(struct.pack("<H", p & 0xFFFF) for p in params)
    recs = (rec(0x020B, 0, 0) + rec(0x020C, 50, 100) +
            rec(0x02FC, 0, colour[0] | colour[1] << 8, colour[2], 0) + rec(0x012D, 0) +
            rec(0x041B, 50, 100, 0, 0) + rec(0x0000))
    std = struct.pack("<HHHIHIH", 1, 9, 0x300, (18 + len(recs)) // 2, 1, 7, 0)
    header = struct.pack("<IHhhhhHI", 0x9AC6CDD7, 0, 0, 0, 100, 50, 1440, 0)
    checksum = 0
    for i in range(0, 20, 2):
        checksum ^= struct.unpack("<H", header[i:i + 2])[0]
    return header + struct.pack("<H", checksum) + std + recs


def emf(colour=(0, 255, 0)):
    recs = (struct.pack("<IIIIII", 39, 24, 1, 0, colour[0] | colour[1] << 8 | colour[2] << 16, 0) +
            struct.pack("<III", 37, 12, 1) + struct.pack("<IIiiii", 43, 24, 0, 0, 100, 50) +
            struct.pack("<IIIII", 14, 20, 0, 16, 20))
    n = 88 + len(recs)
    header = struct.pack("<II4i4iIIIIHHIIIiiii", 1, 88, 0, 0, 100, 50, 0, 0, 2646, 1323, 0x464D4520, 0x10000, n, 5,
                         2, 0, 0, 0, 0, 100, 50, 26, 13)
    return header + recs


def dib(width, height):
    stride = (width * 3 + 3) // 4 * 4
    rows = b"".join(b"".join(bytes((x * 30 % 256, y * 40 % 256, 200)) for x in range(width)).ljust(stride, b"\0")
                    for y in range(height))
    return struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(rows), 0, 0, 0, 0) + rows


def hexlines(data):
    h = data.hex()
    return "\n".join(h[i:i + 128] for i in range(0, len(h), 128))


def pict(kind, data, w, h, goal=(1440, 720), extra=""):
    return "{\\pict\\%s\\picw%d\\pich%d\\picwgoal%d\\pichgoal%d%s\n%s}" % (kind, w, h, goal[0], goal[1], extra,
                                                                         hexlines(data))


def rtf_escape(text, page="cp1252"):
    out = []
    for ch in text:
        if ch in "\\{}":
            out.append("\\" + ch)
        elif ord(ch) < 128:
            out.append(ch)
        else:
            try:
                out.append("\\'%02x" % ch.encode(page)[0])
            except UnicodeEncodeError:
                code = ord(ch)
                out.append("\\u%d?" % (code - 65536 if code > 32767 else code))
    return "".join(out)


def pages(rng, images):
    """HTML pages for LibreOffice: name -> html."""
    def body(parts):
        return '<!DOCTYPE html><html><head><meta charset="utf-8"></head><body>%s</body></html>' % "".join(parts)
    def p(text):
        return "<p>%s</p>" % text
    def img(name, w=96, h=48):
        return '<img src="%s" width="%d" height="%d">' % (name, w, h)
    out = {}
    out["letter-png"] = body([p(img("logo.png", 120, 40)), p("Dear client,")] + [p(paragraph(rng)) for _ in range(6)] +
                             [p("Yours sincerely,"), p("Łukasz Wójcik")])
    out["report-jpeg"] = body(["<h1>Quarterly report</h1>", p(paragraph(rng)), p(img("photo.jpg", 200, 100)),
                               "<ul>" + "".join("<li>%s</li>" % sentence(rng, 6) for _ in range(5)) + "</ul>",
                               "<table border=1>" + "".join("<tr><td>%s</td><td>%d €</td></tr>" % (rng.choice(WORDS), i * 125)
                                                            for i in range(6)) + "</table>", p(paragraph(rng))])
    out["metafiles"] = body([p(paragraph(rng)), p(img("red.wmf") + " beside " + img("green.emf")), p(paragraph(rng)),
                             p("A second logo " + img("red.wmf", 50, 25) + " in the text."), p(paragraph(rng))])
    out["pictures-everywhere"] = body(
        [p(paragraph(rng)), "<table border=1><tr><td>%s</td><td>%s</td></tr><tr><td>%s</td><td>%s</td></tr></table>" % (
            img("logo.png", 60, 20), img("photo.jpg", 80, 40), img("red.wmf", 50, 25), img("green.emf", 50, 25)),
         "<ol>" + "".join("<li>%s %s</li>" % (sentence(rng, 5), img("logo.png", 30, 10)) for _ in range(3)) + "</ol>",
         p(paragraph(rng))])
    out["long-text"] = body(["<h1>Terms and conditions</h1>"] + [
        ("<h2>%d. %s</h2>" % (i, sentence(rng, 3))) + p(paragraph(rng, 5)) + p(paragraph(rng, 4)) for i in range(1, 15)])
    out["languages"] = body([p("Deutsch: Größere Maßnahmen für Übergänge."), p("Polski: Zażółć gęślą jaźń, «Łukasz»."),
                             p("Français: Noël, où est la crème brûlée ? 5 € ¶"), p("Ελληνικά: Καλημέρα κόσμε."),
                             p("Русский: Привет, мир, съешь же ещё этих мягких булок."), p("日本語: 構造と日本語の文章。"),
                             p("中文: 測試中文文件。"), p("Čeština: Příliš žluťoučký kůň úpěl ďábelské ódy."),
                             p(paragraph(rng))])
    out["nested-lists"] = body([p(sentence(rng)), "<ol>" + "".join(
        "<li>%s<ol type=a>%s</ol></li>" % (sentence(rng, 4), "".join("<li>%s</li>" % sentence(rng, 5) for _ in range(3)))
        for _ in range(4)) + "</ol>", "<ul>" + "".join("<li>%s</li>" % sentence(rng, 7) for _ in range(4)) + "</ul>"])
    out["tables"] = body([p(sentence(rng))] + ["<table border=1>" + "".join(
        "<tr>" + "".join("<td>%s</td>" % sentence(rng, rng.randint(1, 5)) for _ in range(cols)) + "</tr>"
        for _ in range(4)) + "</table>" + p(sentence(rng)) for cols in (2, 3, 5)] +
        ['<table border=1><tr><td colspan=2>%s</td><td rowspan=2>%s</td></tr><tr><td>%s</td><td>%s</td></tr></table>'
         % tuple(sentence(rng, 3) for _ in range(4))])
    return out


def lo_documents(rng, work):
    """Pages saved as RTF by LibreOffice, directly and through other formats."""
    os.makedirs(work, exist_ok=True)
    jpegs = sorted(glob.glob("/usr/share/doc/nodejs/*.jpg") + glob.glob("/usr/share/qt6/doc/global/template/images/*.jpg"))
    open(os.path.join(work, "logo.png"), "wb").write(png(24, 8, (0, 64, 160)))
    if jpegs:
        shutil.copy(jpegs[0], os.path.join(work, "photo.jpg"))
    else:
        open(os.path.join(work, "photo.jpg"), "wb").write(png(20, 10, (200, 100, 0)))
    open(os.path.join(work, "red.wmf"), "wb").write(wmf())
    open(os.path.join(work, "green.emf"), "wb").write(emf())
    names = []
    for name, page in pages(rng, None).items():
        open(os.path.join(work, name + ".html"), "w", encoding="utf-8").write(page)
        names.append(name)
    def convert(kind, files, outdir):
        subprocess.run(["soffice", "--headless", "--norestore", "--convert-to", kind, "--outdir", outdir] + files,
                       check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=900, cwd=work)
    htmls = [os.path.join(work, n + ".html") for n in names]
    # Writer, not the web editor, reads the pages.
    convert("odt:writer8", ["--infilter=HTML (StarWriter)"] + htmls, work)
    odts = [os.path.join(work, n + ".odt") for n in names]
    for kind, ext in (("docx:MS Word 2007 XML", "docx"), ("doc:MS Word 97", "doc")):
        convert(kind, odts, work)
    for source_ext in ("odt", "docx", "doc"):
        sub = os.path.join(work, source_ext)
        os.makedirs(sub, exist_ok=True)
        convert("rtf", [os.path.join(work, n + "." + source_ext) for n in names], sub)
        for n in names:
            made = os.path.join(sub, n + ".rtf")
            if os.path.exists(made):
                shutil.copy(made, os.path.join(OUT, "lo-%s-%s.rtf" % (source_ext, n)))


def written_documents(rng):
    """RTF in the manner of other programs: name -> bytes."""
    docs = {}
    text = lambda k=2, page="cp1252": rtf_escape(paragraph(rng, k), page)
    fonts = "{\\fonttbl{\\f0\\froman\\fcharset0 Times New Roman;}{\\f1\\fswiss\\fcharset0 Arial;}{\\f2\\fnil\\fcharset2 Symbol;}}"
    red, green = wmf(), emf((0, 128, 255))
    docs["wordpad-wmf"] = ("{\\rtf1\\ansi\\ansicpg1252\\deff0\\nouicompat\\deflang1033{\\fonttbl{\\f0\\fnil\\fcharset0 Calibri;}}\n"
                           "{\\*\\generator Riched20 10.0.19041}\\viewkind4\\uc1 \n\\pard\\sa200\\sl276\\slmult1\\f0\\fs22\\lang9 "
                           + text() + "\\par\n" + pict("wmetafile8", red, 2646, 1323) + "\\par\n" + text() + "\\par\n}\n")
    docs["wordpad-paint-object"] = (
        "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fswiss Arial;}}\\viewkind4\\uc1\\pard\\f0\\fs20 " + text() + "\\par\n"
        "{\\object\\objemb{\\*\\objclass Paint.Picture}\\objw2000\\objh1000{\\*\\objdata 0105000002000000}"
        "{\\result" + pict("dibitmap0", dib(16, 8), 16, 8, (1200, 600), "\\wbmbitspixel24\\wbmplanes1") + "}}\\par\n"
        + text() + "\\par}\n")
    docs["word-shapes"] = (
        "{\\rtf1\\adeflang1025\\ansi\\ansicpg1252\\uc1\\adeff0\\deff0\\stshfdbch0" + fonts + "\n"
        "{\\colortbl;\\red0\\green0\\blue0;\\red255\\green0\\blue0;}\n"
        "{\\*\\defchp \\fs22\\lang1033}{\\*\\defpap \\ql \\li0\\ri0\\sa200}\n"
        "{\\stylesheet{\\ql \\li0\\ri0\\sa200\\widctlpar\\wrapdefault\\aspalpha\\aspnum\\faauto\\adjustright\\rin0\\lin0\\itap0 "
        "\\rtlch\\fcs1 \\af0\\afs22 \\ltrch\\fcs0 \\f0\\fs22\\lang1033 \\snext0 Normal;}{\\*\\cs10 \\additive \\ssemihidden Default Paragraph Font;}"
        "{\\*\\ts11\\tsrowd\\trftsWidthB3\\tsvertalt\\tsbrdrt\\tsbrdrl\\tsbrdrb\\tsbrdrr \\snext11 Normal Table;}}\n"
        "{\\*\\rsidtbl \\rsid1\\rsid2}{\\mmathPr\\mmathFont34\\mbrkBin0\\mbrkBinSub0\\msmallFrac0\\mdispDef1\\mlMargin0"
        "\\mrMargin0\\mdefJc1\\mwrapIndent1440\\mintLim0\\mnaryLim1}{\\info{\\title Memo}{\\author A. Writer}}\n"
        "{\\*\\xmlnstbl {\\xmlns1 http://schemas.microsoft.com/office/word/2003/wordml}}\\paperw12240\\paperh15840\n"
        "\\pard\\plain \\ltrpar\\ql \\li0\\ri0\\sa200 \\rtlch\\fcs1 \\af0 \\ltrch\\fcs0 \\insrsid1 " + text(3) + "\\par\n"
        "{\\*\\shppict{\\pict{\\*\\picprop\\shplid1025{\\sp{\\sn shapeType}{\\sv 75}}}\\picscalex100\\picscaley100"
        "\\piccropl0\\piccropr0\\piccropt0\\piccropb0\\picw2540\\pich1270\\picwgoal1440\\pichgoal720\\pngblip\\bliptag1{\\*\\blipuid 00}"
        + hexlines(png(30, 15, (20, 160, 20))) + "}}{\\nonshppict{" + pict("wmetafile8", red, 2646, 1323) + "}}\\par\n"
        "{\\shp{\\*\\shpinst\\shpleft0\\shptop0\\shpright2880\\shpbottom1440\\shpfhdr0\\shpbxcolumn\\shpbypara\\shpwr3"
        "{\\sp{\\sn shapeType}{\\sv 75}}{\\sp{\\sn pib}{\\sv " + pict("jpegblip", open(glob.glob("/usr/share/doc/nodejs/*.jpg")[0], "rb").read()
        if glob.glob("/usr/share/doc/nodejs/*.jpg") else png(10, 10, (1, 2, 3)), 200, 100) + "}}}"
        "{\\shprslt{\\*\\do\\dobxcolumn\\dobypara\\dodhgt8193\\dptxbx{\\dptxbxtext\\pard x\\par}}}}"
        + text() + "\\par\n"
        "{\\field{\\*\\fldinst { INCLUDEPICTURE \"logo.emf\" \\\\* MERGEFORMAT }}{\\fldrslt {" + pict("emfblip", green, 2646, 1323) + "}}}"
        + text() + "\\par\n"
        "\\pard {\\*\\cs10 " + text(1) + "}\\par\n"
        "{\\*\\themedata 504b030414000600}{\\*\\colorschememapping 3c3f786d6c}{\\*\\latentstyles\\lsdstimax376\\lsdlockeddef0"
        "{\\lsdlockedexcept \\lsdpriority0 Normal;}}{\\*\\datastore 0105000002000000}}\n")
    docs["office-suite-starred-styles"] = (
        "{\\rtf1\\ansi\\deff0" + fonts + "{\\stylesheet{\\s0 Standard;}{\\*\\cs7\\b Strong;}{\\*\\cs8\\i Emphasis;}}\n"
        + "".join("\\pard\\plain {\\*\\cs7\\b %s} {\\*\\cs8\\i %s} %s\\par\n" % (text(1), text(1), text(1)) for _ in range(6))
        + "}\n")
    docs["report-generator-bitmaps"] = (
        "{\\rtf1\\ansi\\ansicpg1252\\deff0" + fonts + "\\paperw11906\\paperh16838\\margl567\\margr567\n"
        "\\pard\\plain\\f1\\fs20 " + text() + "\\par\n"
        + pict("wbitmap0", bytes.fromhex("aa40ffff5580ffff") * 8, 10, 16, (1500, 2400), "\\wbmbitspixel1\\wbmplanes1\\wbmwidthbytes4")
        + "\\par\n\\trowd\\trgaph108\\cellx3000\\cellx6000\\pard\\intbl " + rtf_escape(sentence(rng, 3)) + "\\cell "
        + pict("dibitmap0", dib(8, 8), 8, 8, (600, 600)) + "\\cell\\row\n"
        "\\pard\\pvpg\\phpg\\posx1000\\posy1000\\absw3000 " + text(1) + "\\par\n"
        "\\pard " + text() + "\\par}\n")
    pict_data = bytes.fromhex("0000000000000000006400c8001102ff0c00fffe0000004800000048000000000000006400c8000000000000a0008200ff")
    docs["mac-pict"] = ("{\\rtf1\\mac\\ansicpg10000\\cocoartf102{\\fonttbl\\f0\\fswiss\\fcharset77 Helvetica;}\n"
                        "\\pard\\f0\\fs24 Caf\\'8e cr\\'8fme \\'a6 " + text(1, "mac_roman") + "\\par\n"
                        + pict("macpict", pict_data, 200, 100) + "\\par\n" + text(2, "mac_roman") + "\\par}\n")
    docs["os2-metafile"] = ("{\\rtf1\\ansi\\pc\\deff0{\\fonttbl{\\f0\\fswiss Helv;}}\\pard\\f0 " + text(1, "cp437") + "\\par\n"
                            + pict("pmmetafile", b"\x00\x01\x02\x03" * 16, 100, 50) + "\\par " + text(1, "cp437") + "\\par}\n")
    docs["pictures-odd"] = (
        "{\\rtf1\\ansi\\deff0" + fonts + "\\pard " + text(1) + "\n"
        "{\\pict\\pngblip\\picwgoal1000\\pichgoal500 89504e47deadbeef}"  # a damaged PNG
        "{\\pict\\jpegblip\\picscalex50\\picscaley50 " + hexlines(png(10, 10, (1, 2, 3))) + "}"  # data of another kind
        "{\\pict\\picw100\\pich50 00112233}"  # no kind at all
        "{\\pict\\emfblip\\bin8 \x01\x00\x00\x00\x10\x00\x00\x00}"  # raw bytes
        + text(1) + "\\par}\n")
    docs["email-deep"] = ("{\\rtf1\\ansi\\ansicpg1252\\fromhtml1 \\deff0{\\fonttbl{\\f0\\fswiss Arial;}}\n"
                          "{\\*\\htmltag64 <div>}" + "".join("{\\*\\htmltag64 <div>}{\\f0 " + rtf_escape(sentence(rng, 3)) + "\\par "
                                                             for _ in range(3000)) + "}" * 3000 + "\\par}\n")
    docs["textedit"] = ("{\\rtf1\\ansi\\ansicpg1252\\cocoartf2709\n\\cocoatextscaling0\\cocoaplatform0{\\fonttbl\\f0\\fswiss\\fcharset0 Helvetica;}\n"
                        "{\\colortbl;\\red255\\green255\\blue255;}\n{\\*\\expandedcolortbl;;}\n"
                        "\\paperw11900\\paperh16840\\margl1440\\margr1440\\vieww11520\\viewh8400\\viewkind0\n"
                        "\\pard\\tx566\\tx1133\\pardirnatural\\partightenfactor0\n\n\\f0\\fs24 \\cf0 "
                        + "\\\n".join(text(1) for _ in range(8)) + "\\\n{{\\NeXTGraphic image.png \\width2000 \\height1000 \\appleattachmentpadding0 \\appleembedtype0 \\appleaqc\n}\\uc0\\u8232 }\n"
                        + text(1) + "}\n")
    docs["cp1250-wordpad"] = ("{\\rtf1\\ansi\\ansicpg1250\\deff0\\nouicompat\\deflang1045{\\fonttbl{\\f0\\fnil\\fcharset238 Calibri;}}\n"
                              "\\viewkind4\\uc1 \\pard\\f0\\fs22 Za\\'bf\\'f3\\'b3\\'e6 g\\'ea\\'9cl\\'b9 ja\\'9f\\'f1 \\'ab\\'a3ukasz\\'bb\\par\n"
                              "Druga linia\\line i z\\'b3amanie " + text(1) + "\\par}\n")
    docs["cp1251"] = ("{\\rtf1\\ansi\\ansicpg1251\\deff0{\\fonttbl{\\f0\\fcharset204 Arial;}}\\pard\\f0 "
                      "\\'cf\\'f0\\'e8\\'e2\\'e5\\'f2 \\'ec\\'e8\\'f0 hello " + text(1) + "\\par}\n")
    docs["legacy-pn"] = ("{\\rtf1\\ansi\\deff0" + fonts + "\n\\pard{\\pntext\\f2\\'b7\\tab}{\\*\\pn\\pnlvlblt\\pnf2\\pnindent360"
                         "{\\pntxtb\\'b7}}\\fi-360\\li360 " + text(1) + "\\par\n{\\pntext\\f2\\'b7\\tab}" + text(1) + "\\par\n"
                         "\\pard{\\pntext 1.\\tab}{\\*\\pn\\pnlvlbody\\pndec\\pnstart1{\\pntxta .}}\\fi-360\\li360 " + text(1) +
                         "\\par\n{\\pntext 2.\\tab}" + text(1) + "\\par\n\\pard " + text(1) + "\\par}\n")
    docs.update(more_programs(rng, text))
    return {name: body.encode("latin-1") for name, body in docs.items()}


def encoded(text, page):
    """`text` as "\\'xx" escapes of the code page `page` (two for a double-byte character)."""
    out = []
    for ch in text:
        if ord(ch) < 128:
            out.append("\\" + ch if ch in "\\{}" else ch)
        else:
            try:
                out.append("".join("\\'%02x" % b for b in ch.encode(page)))
            except UnicodeEncodeError:  # a page that writes accents as marks after the letter (1258)
                out.append(encoded(unicodedata.normalize("NFD", ch), page) if len(unicodedata.normalize("NFD", ch)) > 1
                           else "\\u%d?" % ord(ch))
    return "".join(out)


def more_programs(rng, text):
    docs = {}
    s = lambda k=None: rtf_escape(sentence(rng, k))
    docs["java-swing"] = ("{\\rtf1\\ansi\n{\\fonttbl\\f0\\fnil Monospaced;\\f1\\fnil Dialog;}\n"
                          "{\\colortbl\\red0\\green0\\blue0;\\red255\\green0\\blue0;}\n\n"
                          + "".join("\\li0\\ri0\\fi0\\f1\\fs24\\i0\\b0\\ul0\\cf0 %s\\par\n" % s() for _ in range(5)) + "}\n")
    docs["wordpad-95"] = ("{\\rtf1\\ansi\\deff0\\deftab720{\\fonttbl{\\f0\\fswiss MS Sans Serif;}{\\f1\\froman\\fcharset2 Symbol;}"
                          "{\\f2\\fswiss Arial;}}\n{\\colortbl\\red0\\green0\\blue0;}\n\\deflang1033\\pard\\plain\\f2\\fs20 "
                          + s() + "\n\\par \\plain\\f2\\fs20\\b " + s(4) + "\\plain\\f2\\fs20 \n\\par " + s() + "\n\\par }\n")
    twin = s()
    docs["word95-unicode-wrap"] = (
        "{\\rtf1\\ansi\\ansicpg1252\\uc1\\deff0{\\fonttbl{\\f0\\froman\\fcharset0 Times New Roman;}}\n"
        "\\pard\\plain\\f0\\fs20 {\\upr{\\fs20 " + twin + " Lukasz}{\\*\\ud{\\fs20 " + twin + " \\u321\\'4cukasz}}}\\par\n"
        "{\\*\\pnseclvl1\\pnucrm\\pnstart1\\pnindent720\\pnhang{\\pntxta .}}{\\*\\pnseclvl2\\pnucltr\\pnstart1\\pnindent720\\pnhang{\\pntxta .}}\n"
        "\\pard " + s() + "\\par}\n")
    docs["pandoc-like"] = (
        "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 \\fswiss Helvetica;}{\\f1 \\fmodern Courier;}}\n{\\colortbl;\\red255\\green0\\blue0;}\n"
        "\\widowctrl\\hyphauto\n\n{\\pard \\ql \\f0 \\sa180 \\li0 \\fi0 \\outlinelevel0 \\b \\fs36 " + s(3) + "\\par}\n"
        "{\\pard \\ql \\f0 \\sa180 \\li0 \\fi0 " + s() + " {\\field{\\*\\fldinst{HYPERLINK \"https://example.com/\"}}{\\fldrslt{\\ul\n"
        + s(2) + "\n}}}\n " + s() + "\\par}\n"
        "{\\pard \\ql \\f0 \\sa0 \\li360 \\fi-360 \\bullet \\tx360\\tab " + s() + "\\par}\n"
        "{\\pard \\ql \\f0 \\sa0 \\li360 \\fi-360 \\bullet \\tx360\\tab " + s() + "\\sa180\\par}\n"
        "{\\pard \\ql \\f0 \\sa180 \\li0 \\fi0 {\\f1 code sample} and {\\i " + s(3) + "}\\par}\n}\n")
    docs["outlook-html"] = (
        "{\\rtf1\\ansi\\ansicpg1252\\fromhtml1 \\fbidis \\deff0{\\fonttbl\n{\\f0\\fswiss\\fcharset0 Arial;}\n"
        "{\\f1\\fmodern Courier New;}\n{\\f2\\fnil\\fcharset2 Symbol;}\n{\\f3\\fmodern\\fcharset0 Courier New;}}\n"
        "{\\colortbl\\red0\\green0\\blue0;\\red5\\green99\\blue193;}\n\\uc1\\pard\\plain\\deftab360 \\f0\\fs24 \n"
        "{\\*\\htmltag19 <html>}{\\*\\htmltag34 <head>}{\\*\\htmltag41 <style>}{\\*\\htmltag241 p {margin:0}}"
        "{\\*\\htmltag49 </style>}{\\*\\htmltag35 </head>}{\\*\\htmltag17 <body>}\n"
        + "".join("{\\*\\htmltag64 <p>}\\htmlrtf {\\htmlrtf0 " + s() + "\n{\\*\\htmltag244 <o:p>}{\\*\\htmltag252 </o:p>}\\htmlrtf \\par\n}\\htmlrtf0\n{\\*\\htmltag72 </p>}\n"
                  for _ in range(5))
        + "{\\*\\htmltag64 <p>}\\htmlrtf {\\htmlrtf0 Caf\\'e9 \\'80 \\'b6 {\\*\\htmltag84 <b>}\\htmlrtf {\\b \\htmlrtf0 bold words\\htmlrtf }\\htmlrtf0 {\\*\\htmltag92 </b>}\\htmlrtf \\par\n}\\htmlrtf0\n"
        "{\\*\\htmltag58 </body>}{\\*\\htmltag27 </html>}}\n")
    docs["fromtext-mail"] = ("{\\rtf1\\ansi\\ansicpg1252\\fromtext \\fbidis \\deff0{\\fonttbl\n{\\f0\\fswiss Arial;}\n{\\f1\\fmodern Courier New;}}\n"
                             "{\\colortbl\\red0\\green0\\blue0;\\red0\\green0\\blue255;}\n\\uc1\\pard\\plain\\deftab360 \\f0\\fs20 "
                             + "\\par\n".join(s() for _ in range(6)) + "\\par\n}\n")
    docs["word-textbox"] = (
        "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\froman Times New Roman;}}\n\\pard\\plain " + s() + "\\par\n"
        "{\\shp{\\*\\shpinst\\shpleft0\\shptop0\\shpright3000\\shpbottom1000\\shpfhdr0\\shpbxcolumn\\shpbypara\\shpwr3"
        "{\\sp{\\sn shapeType}{\\sv 202}}{\\sp{\\sn fFitShapeToText}{\\sv 1}}"
        "{\\shptxt \\pard\\plain " + s() + "\\par}}"
        "{\\shprslt{\\*\\do\\dobxcolumn\\dobypara\\dodhgt8193\\dptxbx{\\dptxbxtext\\pard\\plain " + s() + "\\par}"
        "\\dpx0\\dpy0\\dpxsize3000\\dpysize1000}}}\n\\pard " + s() + "\\par}\n")
    docs["word-sections-notes"] = (
        "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\froman Times New Roman;}}\n{\\stylesheet{\\s0 Normal;}"
        "{\\s1\\b\\fs32 heading 1;}{\\*\\cs15\\super footnote reference;}}\n"
        "{\\header \\pard\\plain " + s(4) + "\\par}{\\footer \\pard\\plain Page {\\field{\\*\\fldinst PAGE}{\\fldrslt 1}}\\par}\n"
        "\\pard\\plain\\s1\\b\\fs32 " + s(3) + "\\par\n\\pard\\plain " + s() + "{\\*\\cs15\\super\\chftn}"
        "{\\footnote\\pard\\plain {\\*\\cs15\\super\\chftn} " + s() + "\\par} " + s() + "\\par\n"
        "{\\*\\bkmkstart here}" + s(3) + "{\\*\\bkmkend here} see {\\field{\\*\\fldinst REF here \\\\h}{\\fldrslt " + s(2) + "}}\\par\n"
        "\\sect\\sectd\\sbknone\\pard\\plain " + s() + "\\par\n"
        "\\pard\\plain\\s1\\b\\fs32 " + s(3) + "\\par\n\\pard\\plain " + s() + "\\par}\n")
    docs["word-nested-tables"] = (
        "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\froman Times New Roman;}}\n\\pard " + s() + "\\par\n"
        "\\trowd\\cellx3000\\cellx6000\\pard\\intbl\\itap1 " + s(3) + "\\cell "
        "\\pard\\intbl\\itap2 " + s(2) + "\\nestcell " + s(2) + "\\nestcell{\\*\\nesttableprops\\trowd\\cellx1500\\cellx3000\\nestrow}{\\nonesttables\\par}"
        "\\pard\\intbl\\itap1 " + s(2) + "\\cell\\pard\\intbl\\itap1\\row\n"
        "\\pard " + s() + "\\par}\n")
    docs["textedit-list"] = (
        "{\\rtf1\\ansi\\ansicpg1252\\cocoartf2709\n\\cocoatextscaling0\\cocoaplatform0{\\fonttbl\\f0\\fswiss\\fcharset0 Helvetica;}\n"
        "{\\colortbl;\\red255\\green255\\blue255;}\n{\\*\\expandedcolortbl;;}\n"
        "{\\*\\listtable{\\list\\listtemplateid1\\listhybrid{\\listlevel\\levelnfc23\\levelnfcn23\\leveljc0\\leveljcn0\\levelfollow0"
        "\\levelstartat1\\levelspace360\\levelindent0{\\*\\levelmarker \\{disc\\}}{\\leveltext\\leveltemplateid1\\'01\\uc0\\u8226 ;}"
        "{\\levelnumbers;}\\fi-360\\li720\\lin720 }{\\listname ;}\\listid1}}\n"
        "{\\*\\listoverridetable{\\listoverride\\listid1\\listoverridecount0\\ls1}}\n"
        "\\paperw11900\\paperh16840\\margl1440\\margr1440\\vieww11520\\viewh8400\\viewkind0\n"
        "\\pard\\tx220\\tx720\\pardeftab720\\li720\\fi-720\\pardirnatural\\partightenfactor0\n\\ls1\\ilvl0\n"
        "\\f0\\fs24 \\cf0 " + "".join("{\\listtext\t\\uc0\\u8226 \t}" + s(5) + "\\\n" for _ in range(4)) +
        "\\pard\\pardirnatural\\partightenfactor0\n\\cf0 " + s() + "}\n")
    docs["abiword-like"] = (
        "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl\n{\\f0\\froman\\fcharset0\\fprq2 Times New Roman;}\n"
        "{\\f1\\fnil\\fcharset2\\fprq2 Symbol;}\n}\n{\\colortbl\n\\red0\\green0\\blue0;\n}\n"
        "{\\stylesheet\n{\\s1\\li0\\ri0\\fi0\\ql\\sbasedon2\\snext1 Normal;}\n{\\*\\cs2\\f0\\fs24 Normal Clean;}\n}\n"
        "{\\*\\abiversion 2.9.4}\n{\\*\\generator AbiWord}\n\\kerning0\\cf0\\ftnbj\\fet2\\ftnstart1\\ftnnar\\aftnnar\\ftnstart1\\aftnstart1\\aenddoc\\facingp\\titlepg\\revprop3{\\info{\\creatim\\yr2024}}\n"
        "\\sectd\\sbknone\\pgwsxn11906\\pghsxn16838\n"
        + "".join("{\\pard\\plain\\s1\\ql{\\*\\abiltr}\\sa240\\f0\\fs24{\\f0\\fs24\\lang2057{\\*\\listtag0}" + s() + "}\\par}\n" for _ in range(4))
        + "}\n")
    # Other code pages, each with its own words.
    pages = [
        ("cp1253-greek", 1253, 161, "cp1253", "Καλημέρα κόσμε, ένα δοκιμαστικό κείμενο."),
        ("cp1254-turkish", 1254, 162, "cp1254", "Pijamalı hasta yağız şoföre çabucak güvendi."),
        ("cp1255-hebrew", 1255, 177, "cp1255", "שלום עולם זהו מסמך בדיקה"),
        ("cp1256-arabic", 1256, 178, "cp1256", "مرحبا بالعالم هذا نص تجريبي"),
        ("cp1257-baltic", 1257, 186, "cp1257", "Įlinkdama fechtuotojo špaga sublykčiojusi"),
        ("cp1258-vietnamese", 1258, 163, "cp1258", "Tiếng Việt có dấu"),
        ("cp874-thai", 874, 222, "cp874", "สวัสดีชาวโลก ภาษาไทย"),
        ("cp932-japanese", 932, 128, "cp932", "日本語の文章、構造と表。"),
        ("cp936-chinese", 936, 134, "gbk", "简体中文测试文件。"),
        ("cp949-korean", 949, 129, "cp949", "안녕하세요 세계 한국어 문서"),
        ("cp950-chinese", 950, 136, "cp950", "繁體中文測試文件，構造。"),
        ("cp1251-russian", 1251, 204, "cp1251", "Съешь же ещё этих мягких французских булок."),
        ("cp1250-czech", 1250, 238, "cp1250", "Příliš žluťoučký kůň úpěl ďábelské ódy."),
    ]
    for name, page, charset, codec, line in pages:
        docs[name] = ("{\\rtf1\\ansi\\ansicpg%d\\deff0\\deflang1033{\\fonttbl{\\f0\\fnil\\fcharset%d Local;}{\\f1\\fswiss\\fcharset0 Arial;}}\n"
                      "\\pard\\f0\\fs22 %s\\par\n{\\f1 %s}\\par\n\\f0 %s\\par}\n" % (page, charset, encoded(line, codec), s(), encoded(line, codec)))
    # Word writing Japanese: the associated fonts pick the double-byte font.
    docs["word-japanese-dbch"] = (
        "{\\rtf1\\adeflang1025\\ansi\\ansicpg932\\uc2\\adeff0\\deff0\\stshfdbch11\\stshfloch0\\stshfhich0\\deflang1033\\deflangfe1041"
        "{\\fonttbl{\\f0\\froman\\fcharset0\\fprq2 Times New Roman;}{\\f11\\fmodern\\fcharset128\\fprq1{\\*\\panose 02020609040205080304}"
        "\\'82\\'6c\\'82\\'72 \\'96\\'be\\'92\\'a9{\\*\\falt MS Mincho};}}\n"
        "\\pard\\plain \\ltrpar\\qj \\li0\\ri0\\nowidctlpar\\wrapdefault\\faauto\\rin0\\lin0\\itap0 \\rtlch\\fcs1 \\af0\\afs24\\alang1025 "
        "\\ltrch\\fcs0 \\kerning2\\fs21\\lang1033\\langfe1041\\loch\\f0\\hich\\af0\\dbch\\af11\\cgrid\\langnp1033\\langfenp1041 "
        "{\\rtlch\\fcs1 \\af0 \\ltrch\\fcs0 \\hich\\af0\\dbch\\af11\\loch\\f0 " + s(4) + " }"
        "{\\rtlch\\fcs1 \\af0 \\ltrch\\fcs0 \\hich\\af0\\dbch\\af11\\loch\\f0 \\'93\\'fa\\'96\\'7b\\'8c\\'ea\\'82\\'cc\\'95\\'b6\\'8f\\'cd}"
        "{\\rtlch\\fcs1 \\af0 \\ltrch\\fcs0 \\loch\\af11\\hich\\af11\\dbch\\f11 \\uc2\\u27083\\'8d\\'5c\\u36896\\'91\\'a2}\\par}\n")
    return docs


def main():
    os.makedirs(OUT, exist_ok=True)
    rng = random.Random(23)
    for name, data in written_documents(rng).items():
        open(os.path.join(OUT, name + ".rtf"), "wb").write(data)
    lo_documents(rng, os.path.join(OUT, "lo-work"))
    print("documents in", OUT)


if __name__ == "__main__":
    main()
