#!/usr/bin/env python3
# Reads a report document back with python-docx, independently of the writer: PARA i align bolds
# fonts sizes text | TABLE t rows cols | CELL t row col span vMerge borders text | PICTURE i width
# height framed bytes png-WxH | PAGEBREAKS n | SECTION i start footer-fields; tab-separated.
import struct, sys
import docx
from docx.oxml.ns import qn

A = "{http://schemas.openxmlformats.org/drawingml/2006/main}"

def esc(text):
    return text.replace("\\", "\\\\").replace("\t", "\\t").replace("\n", "\\n")

def out(*fields):
    print("\t".join(str(f) for f in fields))

def main(path):
    document = docx.Document(path)
    for i, p in enumerate(document.paragraphs, start=1):
        jc = p._p.find(qn("w:pPr") + "/" + qn("w:jc"))
        runs = [r.font for r in p.runs]
        out("PARA", i, jc.get(qn("w:val")) if jc is not None else "none",
            "|".join("1" if f.bold else "0" for f in runs), "|".join(f.name or "-" for f in runs),
            "|".join(str(f.size.pt) if f.size is not None else "-" for f in runs), esc(p.text))

    for t, table in enumerate(document.tables, start=1):
        rows = table._tbl.findall(qn("w:tr"))
        out("TABLE", t, len(rows), len(table._tbl.tblGrid.findall(qn("w:gridCol"))))
        for r, tr in enumerate(rows, start=1):
            column = 1
            for tc in tr.findall(qn("w:tc")):
                pr = tc.find(qn("w:tcPr"))
                gs = pr.find(qn("w:gridSpan")) if pr is not None else None
                vm = pr.find(qn("w:vMerge")) if pr is not None else None
                tb = pr.find(qn("w:tcBorders")) if pr is not None else None
                span = int(gs.get(qn("w:val"))) if gs is not None else 1
                borders = "".join(s[0].upper() for s in ("top", "left", "bottom", "right")
                                  if tb is not None and tb.find(qn("w:" + s)) is not None)
                text = "\n".join("".join(n.text or "" for n in p.iter(qn("w:t")))
                                 for p in tc.findall(qn("w:p")))
                vmerge = "-" if vm is None else (vm.get(qn("w:val")) or "continue")
                out("CELL", t, r, column, span, vmerge, borders or "-", esc(text))
                column += span

    for i, shape in enumerate(document.inline_shapes, start=1):
        inline = shape._inline
        blob = document.part.related_parts[next(inline.iter(A + "blip")).get(qn("r:embed"))].blob
        size = "%dx%d" % struct.unpack(">II", blob[16:24]) if blob[:8] == b"\x89PNG\r\n\x1a\n" else "-"
        framed = any(True for _ in inline.iter(A + "ln"))
        out("PICTURE", i, shape.width, shape.height, int(framed), len(blob), size)

    body = document.element.body
    out("PAGEBREAKS", sum(1 for br in body.iter(qn("w:br")) if br.get(qn("w:type")) == "page"))
    for i, section in enumerate(document.sections, start=1):
        fields = []
        if not section.footer.is_linked_to_previous:
            footer = section.footer._element
            fields += [(n.text or "").strip() for n in footer.iter(qn("w:instrText"))]
            fields += [(n.get(qn("w:instr")) or "").strip() for n in footer.iter(qn("w:fldSimple"))]
        out("SECTION", i, str(section.start_type).split(" ")[0], "|".join(fields) or "-")

if __name__ == "__main__":
    main(sys.argv[1])
