#!/usr/bin/python3
"""Builds the operator's manual Zorvel.pdf from Zorvel.txt.

Usage: make_manual.py [OUTPUT]   (default: docs/Zorvel.pdf)

The text is a small markup: "% " title lines, "# " chapters, "## " sections,
"- " list items, "| a | b |" table rows (the first row is the header),
"![file](caption)" pictures, blank lines between paragraphs. Pictures are
looked up in docs/manual/pictures (window captures) and
zorvel/resources/program (connection schemes). The output is the same byte
for byte on every run (ReportLab's invariant mode, fixed dates).
"""
import os
import sys

from reportlab import rl_config

rl_config.invariant = 1
rl_config.useA85 = 0  # binary streams: a quarter smaller than ASCII85 text

from reportlab.lib import colors  # noqa: E402
from reportlab.lib.enums import TA_CENTER  # noqa: E402
from reportlab.lib.pagesizes import A4  # noqa: E402
from reportlab.lib.styles import ParagraphStyle  # noqa: E402
from reportlab.lib.units import mm  # noqa: E402
from reportlab.pdfbase import pdfmetrics  # noqa: E402
from reportlab.pdfbase.ttfonts import TTFont  # noqa: E402
from reportlab.platypus import (Image, KeepTogether, ListFlowable, ListItem, PageBreak,  # noqa: E402
                                Paragraph, SimpleDocTemplate, Spacer, Table, TableStyle)
from reportlab.platypus.tableofcontents import TableOfContents  # noqa: E402
from xml.sax.saxutils import escape  # noqa: E402

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
PICTURE_DIRS = [os.path.join(HERE, "pictures"), os.path.join(ROOT, "zorvel", "resources", "program")]
FONTS = "/usr/share/fonts/truetype/dejavu"

pdfmetrics.registerFont(TTFont("DejaVu", os.path.join(FONTS, "DejaVuSans.ttf")))
pdfmetrics.registerFont(TTFont("DejaVu-Bold", os.path.join(FONTS, "DejaVuSans-Bold.ttf")))
pdfmetrics.registerFontFamily("DejaVu", normal="DejaVu", bold="DejaVu-Bold")

BODY = ParagraphStyle("body", fontName="DejaVu", fontSize=10, leading=14, spaceAfter=6)
TITLE = ParagraphStyle("title", parent=BODY, fontName="DejaVu-Bold", fontSize=22, leading=28, alignment=TA_CENTER,
                       spaceAfter=12)
SUBTITLE = ParagraphStyle("subtitle", parent=BODY, fontSize=13, leading=18, alignment=TA_CENTER)
H1 = ParagraphStyle("h1", parent=BODY, fontName="DejaVu-Bold", fontSize=16, leading=20, spaceBefore=6,
                    spaceAfter=10, textColor=colors.HexColor("#b00000"))
H2 = ParagraphStyle("h2", parent=BODY, fontName="DejaVu-Bold", fontSize=12, leading=16, spaceBefore=8, spaceAfter=4,
                    keepWithNext=1)
CELL = ParagraphStyle("cell", parent=BODY, fontSize=9, leading=12, spaceAfter=0)
CAPTION = ParagraphStyle("caption", parent=BODY, fontSize=9, alignment=TA_CENTER, textColor=colors.HexColor("#444444"))
TOC1 = ParagraphStyle("toc1", parent=BODY, fontSize=11, leading=16)


class Manual(SimpleDocTemplate):
    def afterFlowable(self, flowable):
        # Chapters go into the table of contents and the PDF outline.
        if isinstance(flowable, Paragraph) and flowable.style.name == "h1":
            text = flowable.getPlainText()
            key = "ch-" + text.split(".")[0]  # chapters are numbered
            self.canv.bookmarkPage(key)
            self.canv.addOutlineEntry(text, key, 0)
            self.notify("TOCEntry", (0, text, self.page))


def footer(canvas, doc):
    canvas.saveState()
    canvas.setFont("DejaVu", 8)
    canvas.setFillColor(colors.grey)
    canvas.drawString(20 * mm, 12 * mm, "Zorvel 2.01 — руководство оператора")
    canvas.drawRightString(A4[0] - 20 * mm, 12 * mm, "стр. %d" % doc.page)
    canvas.restoreState()


def inline(text):
    return escape(text)


def picture(name, caption, width, heading=()):
    for folder in PICTURE_DIRS:
        path = os.path.join(folder, name)
        if os.path.exists(path):
            break
    else:
        raise SystemExit("make_manual: picture %s not found" % name)
    image = Image(path)
    if name.lower().endswith(".png"):
        # Window pictures: screen pixels at about their size on paper, and a
        # wide dialog across the whole text width, so its labels stay legible.
        scale = min(0.75, width / image.imageWidth)
    else:
        scale = min(1.0, 0.72 * width / image.imageWidth)
    image.drawWidth, image.drawHeight = image.imageWidth * scale, image.imageHeight * scale
    return KeepTogether([*heading, Spacer(1, 4), image, Paragraph(inline(caption), CAPTION)])


def table(rows, width):
    data = [[Paragraph(("<b>%s</b>" if i == 0 else "%s") % inline(c), CELL) for c in row] for i, row in enumerate(rows)]
    columns = len(rows[0])
    widths = [width * 0.38, width * 0.62] if columns == 2 else [width * 0.24, width * 0.3, width * 0.46]
    t = Table(data, colWidths=widths, repeatRows=1)
    t.setStyle(TableStyle([("GRID", (0, 0), (-1, -1), 0.4, colors.grey),
                           ("BACKGROUND", (0, 0), (-1, 0), colors.HexColor("#eeeeee")),
                           ("VALIGN", (0, 0), (-1, -1), "TOP")]))
    return [t, Spacer(1, 8)]


def build(source, output):
    doc = Manual(output, pagesize=A4, leftMargin=20 * mm, rightMargin=20 * mm, topMargin=18 * mm,
                 bottomMargin=20 * mm, title="Zorvel — руководство оператора", author="ЗОРВЕЛ",
                 subject="Программа настройки светодиодного табло", creator="make_manual.py")
    width = doc.width
    story, paragraph, items, rows = [], [], [], []
    chapters = 0

    def flush():
        nonlocal paragraph, items, rows
        if paragraph:
            story.append(Paragraph(inline(" ".join(paragraph)), BODY))
        if items:
            story.append(ListFlowable([ListItem(Paragraph(inline(i), BODY), leftIndent=12) for i in items],
                                      bulletType="bullet", start="•", leftIndent=12))
        if rows:
            story.extend(table(rows, width))
        paragraph, items, rows = [], [], []

    titles = []
    with open(source, encoding="utf-8") as f:
        for line in f.read().splitlines():
            if line.startswith("% "):
                titles.append(line[2:])
                continue
            if titles and not story:
                story.append(Spacer(1, 60 * mm))
                story.append(Paragraph(inline(titles[0]), TITLE))
                for t in titles[1:]:
                    story.append(Paragraph(inline(t), SUBTITLE))
                story.append(Spacer(1, 20 * mm))
                toc = TableOfContents()
                toc.levelStyles = [TOC1]
                story.append(Paragraph("Содержание", H2))
                story.append(toc)
            stripped = line.strip()
            if not stripped:
                flush()
            elif stripped.startswith("## "):
                flush()
                story.append(Paragraph(inline(stripped[3:]), H2))
            elif stripped.startswith("# "):
                flush()
                story.append(PageBreak())
                chapters += 1
                story.append(Paragraph(inline(stripped[2:]), H1))
            elif stripped.startswith("- "):
                if paragraph or rows:
                    flush()
                items.append(stripped[2:])
            elif stripped.startswith("|"):
                if paragraph or items:
                    flush()
                rows.append([c.strip() for c in stripped.strip("|").split("|")])
            elif stripped.startswith("!["):
                flush()
                name, caption = stripped[2:].split("](", 1)
                # A section that opens with a picture starts on the page of its picture.
                heading = [story.pop()] if isinstance(story[-1], Paragraph) and story[-1].style.name == "h2" else []
                story.append(picture(name, caption.rstrip(")"), width, heading))
            else:
                paragraph.append(stripped)
    flush()
    doc.multiBuild(story, onFirstPage=footer, onLaterPages=footer)
    return chapters


def main():
    output = sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, "docs", "Zorvel.pdf")
    chapters = build(os.path.join(HERE, "Zorvel.txt"), output)
    print("make_manual: %s, %d chapters" % (output, chapters))


if __name__ == "__main__":
    main()
