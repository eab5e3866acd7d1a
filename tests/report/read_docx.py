#!/usr/bin/env python3
"""Reads a report document back with python-docx, independently of the writer, and prints what
it finds, one fact per line, fields separated by tabs. Texts escape backslash, tab and line end
as \\\\, \\t and \\n so that inner blanks survive exactly.

  PARA      index  alignment  bold-of-runs  fonts-of-runs  sizes-of-runs  text
  TABLE     t  rows  columns
  CELL      t  row  grid-column  gridSpan  vMerge  borders  text
  PICTURE   i  width-emu  height-emu  framed  image-bytes  image-size-of-png-header
  PAGEBREAKS count
  SECTION   i  start-type  footer-fields
"""
import struct
import sys

import docx
from docx.oxml.ns import qn


def esc(text):
    return text.replace("\\", "\\\\").replace("\t", "\\t").replace("\n", "\\n")


def run_fonts(paragraph):
    names, sizes, bolds = [], [], []
    for run in paragraph.runs:
        names.append(run.font.name or "-")
        sizes.append(str(run.font.size.pt) if run.font.size is not None else "-")
        bolds.append("1" if run.font.bold else "0")
    return "|".join(bolds), "|".join(names), "|".join(sizes)


def main(path):
    document = docx.Document(path)
    body = document.element.body

    for i, paragraph in enumerate(document.paragraphs, start=1):
        jc = paragraph._p.find(qn("w:pPr") + "/" + qn("w:jc"))
        align = jc.get(qn("w:val")) if jc is not None else "none"
        bold, names, sizes = run_fonts(paragraph)
        print("\t".join(["PARA", str(i), align, bold, names, sizes, esc(paragraph.text)]))

    for t, table in enumerate(document.tables, start=1):
        tbl = table._tbl
        columns = len(tbl.tblGrid.findall(qn("w:gridCol")))
        rows = tbl.findall(qn("w:tr"))
        print("\t".join(["TABLE", str(t), str(len(rows)), str(columns)]))
        for r, tr in enumerate(rows, start=1):
            column = 1
            for tc in tr.findall(qn("w:tc")):
                tc_pr = tc.find(qn("w:tcPr"))
                span, vmerge, borders = 1, "-", ""
                if tc_pr is not None:
                    gs = tc_pr.find(qn("w:gridSpan"))
                    if gs is not None:
                        span = int(gs.get(qn("w:val")))
                    vm = tc_pr.find(qn("w:vMerge"))
                    if vm is not None:
                        vmerge = vm.get(qn("w:val")) or "continue"
                    tb = tc_pr.find(qn("w:tcBorders"))
                    if tb is not None:
                        borders = "".join(side[0].upper() for side in
                                          ("top", "left", "bottom", "right")
                                          if tb.find(qn("w:" + side)) is not None)
                texts = ["".join(node.text or "" for node in p.iter(qn("w:t")))
                         for p in tc.findall(qn("w:p"))]
                print("\t".join(["CELL", str(t), str(r), str(column), str(span), vmerge,
                                 borders or "-", esc("\n".join(texts))]))
                column += span

    for i, shape in enumerate(document.inline_shapes, start=1):
        inline = shape._inline
        framed = any(True for _ in inline.iter(
            "{http://schemas.openxmlformats.org/drawingml/2006/main}ln"))
        blip = next(inline.iter("{http://schemas.openxmlformats.org/drawingml/2006/main}blip"))
        rid = blip.get(qn("r:embed"))
        blob = document.part.related_parts[rid].blob
        png_size = "-"
        if blob[:8] == b"\x89PNG\r\n\x1a\n":
            w, h = struct.unpack(">II", blob[16:24])
            png_size = "%dx%d" % (w, h)
        print("\t".join(["PICTURE", str(i), str(shape.width), str(shape.height),
                         "1" if framed else "0", str(len(blob)), png_size]))

    breaks = [br for br in body.iter(qn("w:br")) if br.get(qn("w:type")) == "page"]
    print("PAGEBREAKS\t%d" % len(breaks))

    for i, section in enumerate(document.sections, start=1):
        fields = []
        if not section.footer.is_linked_to_previous:
            footer = section.footer._element
            fields += [(node.text or "").strip() for node in footer.iter(qn("w:instrText"))]
            fields += [(node.get(qn("w:instr")) or "").strip()
                       for node in footer.iter(qn("w:fldSimple"))]
        start = section.start_type
        print("\t".join(["SECTION", str(i), str(start).split(" ")[0], "|".join(fields) or "-"]))


if __name__ == "__main__":
    main(sys.argv[1])
