#include "report/document.h"

#include <zip.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cmath>
#include <ctime>
#include <optional>
#include <system_error>
#include <utility>
#include <variant>
#include <vector>

#include <unistd.h>

#include "common/atomic_file.h"
#include "common/rounding.h"

namespace tarmac {
namespace {

// ---------------------------------------------------------------------------------------------
// Page geometry: US letter with one-inch margins, or A4 with 25-mm margins. Word measures
// pages in twentieths of a point (twips) and pictures in English metric units (EMU).
constexpr int kTwipsPerInch = 1440;
constexpr std::int64_t kEmuPerInch = 914400;
struct PageGeometry {
  int width, height, margin;  // twips
  int textWidth() const { return width - 2 * margin; }
  double textWidthInches() const { return double(textWidth()) / kTwipsPerInch; }
};
constexpr PageGeometry kLetter{12240, 15840, 1440};  // 8.5 x 11 in, 1 in
constexpr PageGeometry kA4{11906, 16838, 1418};      // 210 x 297 mm, 25 mm
const PageGeometry& GeometryOf(PaperSize paper) { return paper == PaperSize::A4 ? kA4 : kLetter; }
constexpr double kScreenDotsPerInch = 96.0;
// Border weights in eighths of a point: the grid of a table and a set cell border.
constexpr int kGridLineEighths = 4;
constexpr int kCellBorderEighths = 12;
// The picture frame: 0.75 pt in EMU.
constexpr int kPictureFrameEmu = 9525;
// The application name in docProps/app.xml marks a document this writer made.
constexpr std::string_view kApplicationName = "Tarmac";
// Guard against absurd entries when reading a document back.
constexpr zip_uint64_t kMaxEntryBytes = 512ull * 1024 * 1024;

// ---------------------------------------------------------------------------------------------
// Text: UTF-8 cleaning and XML escaping.

// Appends code point cp as UTF-8.
void AppendUtf8(std::string& out, std::uint32_t cp) {
  if (cp < 0x80) {
    out += char(cp);
  } else if (cp < 0x800) {
    out += char(0xC0 | (cp >> 6));
    out += char(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += char(0xE0 | (cp >> 12));
    out += char(0x80 | ((cp >> 6) & 0x3F));
    out += char(0x80 | (cp & 0x3F));
  } else {
    out += char(0xF0 | (cp >> 18));
    out += char(0x80 | ((cp >> 12) & 0x3F));
    out += char(0x80 | ((cp >> 6) & 0x3F));
    out += char(0x80 | (cp & 0x3F));
  }
}

// Valid UTF-8 is kept; any other byte is read as a Latin-1 character, so a file name from an old
// system still shows instead of making the whole document unreadable. Characters XML cannot hold
// (control codes other than tab and line ends) are dropped.
std::string CleanText(std::string_view in) {
  std::string out;
  out.reserve(in.size());
  std::size_t i = 0;
  while (i < in.size()) {
    const auto b0 = static_cast<unsigned char>(in[i]);
    std::uint32_t cp = b0;
    std::size_t len = 1;
    if (b0 >= 0x80) {
      std::size_t need = 0;
      std::uint32_t min = 0;
      if ((b0 & 0xE0) == 0xC0) { need = 1; cp = b0 & 0x1F; min = 0x80; }
      else if ((b0 & 0xF0) == 0xE0) { need = 2; cp = b0 & 0x0F; min = 0x800; }
      else if ((b0 & 0xF8) == 0xF0) { need = 3; cp = b0 & 0x07; min = 0x10000; }
      bool ok = need > 0 && i + need < in.size();
      for (std::size_t k = 1; ok && k <= need; ++k) {
        const auto b = static_cast<unsigned char>(in[i + k]);
        if ((b & 0xC0) != 0x80) ok = false;
        else cp = (cp << 6) | (b & 0x3F);
      }
      if (ok && (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))) ok = false;
      if (ok) {
        len = need + 1;
      } else {
        cp = b0;  // Latin-1
        len = 1;
      }
    }
    i += len;
    const bool allowed = cp == '\t' || cp == '\n' || cp == '\r' || (cp >= 0x20 && cp != 0x7F &&
                         cp != 0xFFFE && cp != 0xFFFF);
    if (allowed) AppendUtf8(out, cp);
  }
  return out;
}

// Escapes clean text for element content and attribute values.
std::string Escape(std::string_view s) {
  std::string out;
  out.reserve(s.size() + 8);
  for (char c : s) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&apos;"; break;
      default: out += c;
    }
  }
  return out;
}

// ---------------------------------------------------------------------------------------------
// The document model.

struct RunFormat {
  std::string font;   // empty: the document's default font
  int half_points = 0;  // 0: the document's default size
  bool bold = false;
};

struct TextRun {
  std::string text;  // clean UTF-8; tabs and line ends still as characters
  RunFormat format;
};
struct PictureRun {
  int image = 0;  // 1-based number of word/media/imageN.png
  std::int64_t cx = 0, cy = 0;  // EMU
  bool border = false;
};
struct PageBreakRun {};
using Run = std::variant<TextRun, PictureRun, PageBreakRun>;

struct Paragraph {
  ParagraphAlignment alignment = ParagraphAlignment::Left;
  std::vector<Run> runs;
  bool ends_section = false;
  bool keep_with_next = false;  // a picture stays on the page of its caption
};

struct CellParagraph {
  std::string text;
  RunFormat format;
  ParagraphAlignment alignment = ParagraphAlignment::Left;
};

struct Cell {
  std::vector<CellParagraph> paragraphs;  // empty: an empty cell
  // Merge: the anchor (top-left) cell of a merge holds its extent; covered cells point to it.
  int span_rows = 1, span_cols = 1;
  int anchor_row = 0, anchor_col = 0;  // 0: not covered
  std::array<bool, 4> borders{};       // by BorderSide
};

struct Table {
  int rows = 0, cols = 0;
  int heading_rows = 0;  // repeated at the top of every page the table runs onto
  std::vector<Cell> cells;  // row-major, (row-1)*cols + (col-1)
  Cell& at(int r, int c) { return cells[std::size_t((r - 1) * cols + (c - 1))]; }
  const Cell& at(int r, int c) const { return cells[std::size_t((r - 1) * cols + (c - 1))]; }
};

using Block = std::variant<Paragraph, Table>;

}  // namespace

struct Document::Impl {
  // Body XML of a reopened document, kept as written (without its closing section properties).
  std::string prior_body;
  int prior_tables = 0;
  bool prior_has_section_break = false;

  std::vector<Block> blocks;  // the last block is always the current paragraph
  std::vector<std::vector<std::uint8_t>> images;  // word/media/image1.png, image2.png, ...
  std::vector<std::size_t> table_blocks;           // block index of table prior_tables + k + 1

  RunFormat typing;  // the format of text typed from now on
  bool whole_selected = false;
  bool page_numbers = false;
  PaperSize paper = PaperSize::Letter;
  std::string default_font = "Times New Roman";
  int default_half_points = 24;

  Impl() { blocks.emplace_back(Paragraph{}); }

  Paragraph& current() { return std::get<Paragraph>(blocks.back()); }

  void endSelection() { whole_selected = false; }

  Table& table(int t) {
    if (t <= prior_tables && t >= 1)
      throw DocumentError("table " + std::to_string(t) +
                          " belongs to the reopened document and cannot be changed");
    const int k = t - prior_tables - 1;
    if (t < 1 || k >= int(table_blocks.size()))
      throw DocumentError("there is no table " + std::to_string(t) + " (the document has " +
                          std::to_string(prior_tables + int(table_blocks.size())) + ")");
    return std::get<Table>(blocks[table_blocks[std::size_t(k)]]);
  }

  static void checkCell(const Table& tab, int t, int r, int c) {
    if (r < 1 || r > tab.rows || c < 1 || c > tab.cols)
      throw DocumentError("cell (" + std::to_string(r) + ", " + std::to_string(c) +
                          ") lies outside table " + std::to_string(t) + " of " +
                          std::to_string(tab.rows) + " rows and " + std::to_string(tab.cols) +
                          " columns");
  }

  // Applies a change of character format to everything when the whole document is selected.
  template <class F>
  void applyToAll(F&& change) {
    change(typing);
    if (!whole_selected) return;
    for (auto& b : blocks) {
      if (auto* p = std::get_if<Paragraph>(&b)) {
        for (auto& r : p->runs)
          if (auto* t = std::get_if<TextRun>(&r)) change(t->format);
      } else {
        for (auto& cell : std::get<Table>(b).cells)
          for (auto& cp : cell.paragraphs) change(cp.format);
      }
    }
  }

  // ---- XML writing ----
  std::string documentXml() const;
  std::string stylesXml() const;
  std::string relsXml() const;
  std::string contentTypesXml() const;
  void writeRunProps(std::string& x, const RunFormat& f) const;
  void writeTextRun(std::string& x, std::string_view text, const RunFormat& f) const;
  void writeParagraph(std::string& x, const Paragraph& p, bool first_section_end) const;
  void writeTable(std::string& x, const Table& t) const;
  std::string sectionProps(bool with_footer) const;
};

namespace {

const char* AlignValue(ParagraphAlignment a) {
  return a == ParagraphAlignment::Center ? "center" : "left";
}

constexpr std::string_view kXmlHead =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n";
constexpr std::string_view kNsW = "http://schemas.openxmlformats.org/wordprocessingml/2006/main";
constexpr std::string_view kNsR =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships";

}  // namespace

void Document::Impl::writeRunProps(std::string& x, const RunFormat& f) const {
  if (f.font.empty() && f.half_points == 0 && !f.bold) return;
  x += "<w:rPr>";
  if (!f.font.empty()) {
    const std::string n = Escape(f.font);
    x += "<w:rFonts w:ascii=\"" + n + "\" w:hAnsi=\"" + n + "\" w:cs=\"" + n + "\"/>";
  }
  if (f.bold) x += "<w:b/><w:bCs/>";
  if (f.half_points > 0) {
    const std::string s = std::to_string(f.half_points);
    x += "<w:sz w:val=\"" + s + "\"/><w:szCs w:val=\"" + s + "\"/>";
  }
  x += "</w:rPr>";
}

// One run of text; tabs and line ends become their own elements, blanks are kept.
void Document::Impl::writeTextRun(std::string& x, std::string_view text,
                                  const RunFormat& f) const {
  x += "<w:r>";
  writeRunProps(x, f);
  std::string piece;
  auto flush = [&] {
    if (!piece.empty()) x += "<w:t xml:space=\"preserve\">" + Escape(piece) + "</w:t>";
    piece.clear();
  };
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\t') {
      flush();
      x += "<w:tab/>";
    } else if (c == '\n' || c == '\r') {
      flush();
      x += "<w:br/>";
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      piece += c;
    }
  }
  flush();
  x += "</w:r>";
}

std::string Document::Impl::sectionProps(bool with_footer) const {
  std::string x = "<w:sectPr>";
  if (with_footer) x += "<w:footerReference w:type=\"default\" r:id=\"rIdFooter1\"/>";
  x += "<w:type w:val=\"nextPage\"/>";
  const PageGeometry& g = GeometryOf(paper);
  x += "<w:pgSz w:w=\"" + std::to_string(g.width) + "\" w:h=\"" + std::to_string(g.height) +
       "\"/>";
  const std::string m = std::to_string(g.margin);
  x += "<w:pgMar w:top=\"" + m + "\" w:right=\"" + m + "\" w:bottom=\"" + m + "\" w:left=\"" +
       m + "\" w:header=\"720\" w:footer=\"720\" w:gutter=\"0\"/>";
  x += "</w:sectPr>";
  return x;
}

void Document::Impl::writeParagraph(std::string& x, const Paragraph& p,
                                    bool first_section_end) const {
  x += "<w:p><w:pPr><w:jc w:val=\"";
  x += AlignValue(p.alignment);
  x += "\"/>";
  if (p.keep_with_next) x += "<w:keepNext/>";
  if (p.ends_section) x += sectionProps(first_section_end && page_numbers);
  x += "</w:pPr>";
  for (const auto& run : p.runs) {
    if (const auto* t = std::get_if<TextRun>(&run)) {
      writeTextRun(x, t->text, t->format);
    } else if (std::holds_alternative<PageBreakRun>(run)) {
      x += "<w:r><w:br w:type=\"page\"/></w:r>";
    } else {
      const auto& pic = std::get<PictureRun>(run);
      const std::string id = std::to_string(pic.image);
      const std::string cx = std::to_string(pic.cx), cy = std::to_string(pic.cy);
      const std::string frame = pic.border ? std::to_string(kPictureFrameEmu) : "0";
      x += "<w:r><w:drawing><wp:inline distT=\"0\" distB=\"0\" distL=\"0\" distR=\"0\">";
      x += "<wp:extent cx=\"" + cx + "\" cy=\"" + cy + "\"/>";
      x += "<wp:effectExtent l=\"" + frame + "\" t=\"" + frame + "\" r=\"" + frame + "\" b=\"" +
           frame + "\"/>";
      x += "<wp:docPr id=\"" + id + "\" name=\"Picture " + id + "\"/>";
      x += "<wp:cNvGraphicFramePr><a:graphicFrameLocks noChangeAspect=\"1\"/>"
           "</wp:cNvGraphicFramePr>";
      x += "<a:graphic><a:graphicData "
           "uri=\"http://schemas.openxmlformats.org/drawingml/2006/picture\"><pic:pic>";
      x += "<pic:nvPicPr><pic:cNvPr id=\"" + id + "\" name=\"image" + id +
           ".png\"/><pic:cNvPicPr/></pic:nvPicPr>";
      x += "<pic:blipFill><a:blip r:embed=\"rIdImage" + id +
           "\"/><a:stretch><a:fillRect/></a:stretch></pic:blipFill>";
      x += "<pic:spPr><a:xfrm><a:off x=\"0\" y=\"0\"/><a:ext cx=\"" + cx + "\" cy=\"" + cy +
           "\"/></a:xfrm><a:prstGeom prst=\"rect\"><a:avLst/></a:prstGeom>";
      if (pic.border)
        x += "<a:ln w=\"" + frame + "\"><a:solidFill><a:srgbClr val=\"000000\"/></a:solidFill>"
             "</a:ln>";
      x += "</pic:spPr></pic:pic></a:graphicData></a:graphic></wp:inline></w:drawing></w:r>";
    }
  }
  x += "</w:p>";
}

void Document::Impl::writeTable(std::string& x, const Table& t) const {
  const int col_w = GeometryOf(paper).textWidth() / t.cols;
  const std::string grid = std::to_string(kGridLineEighths);
  x += "<w:tbl><w:tblPr><w:tblW w:w=\"" + std::to_string(col_w * t.cols) +
       "\" w:type=\"dxa\"/><w:tblBorders>";
  for (const char* side : {"top", "left", "bottom", "right", "insideH", "insideV"})
    x += std::string("<w:") + side + " w:val=\"single\" w:sz=\"" + grid +
         "\" w:space=\"0\" w:color=\"000000\"/>";
  x += "</w:tblBorders><w:tblLayout w:type=\"fixed\"/>"
       "<w:tblCellMar><w:left w:w=\"72\" w:type=\"dxa\"/><w:right w:w=\"72\" w:type=\"dxa\"/>"
       "</w:tblCellMar></w:tblPr><w:tblGrid>";
  for (int c = 1; c <= t.cols; ++c) x += "<w:gridCol w:w=\"" + std::to_string(col_w) + "\"/>";
  x += "</w:tblGrid>";
  for (int r = 1; r <= t.rows; ++r) {
    // A row is never split across pages, and the heading rows start every page again.
    x += "<w:tr><w:trPr><w:cantSplit/>";
    if (r <= t.heading_rows) x += "<w:tblHeader/>";
    x += "</w:trPr>";
    int c = 1;
    while (c <= t.cols) {
      const Cell& cell = t.at(r, c);
      // The cell that decides this grid position: itself, or the anchor of its merge.
      const bool covered = cell.anchor_row != 0;
      const Cell& anchor = covered ? t.at(cell.anchor_row, cell.anchor_col) : cell;
      const int anchor_col = covered ? cell.anchor_col : c;
      const int span = anchor.span_cols;
      const bool continues = covered && cell.anchor_row != r;  // below the merge's first row
      // Borders of the positions this tc covers in this row.
      std::array<bool, 4> b{};
      for (int k = anchor_col; k < anchor_col + span; ++k) {
        const auto& kb = t.at(r, k).borders;
        if (kb[int(BorderSide::Top)]) b[int(BorderSide::Top)] = true;
        if (kb[int(BorderSide::Bottom)]) b[int(BorderSide::Bottom)] = true;
      }
      b[int(BorderSide::Left)] = t.at(r, anchor_col).borders[int(BorderSide::Left)];
      b[int(BorderSide::Right)] = t.at(r, anchor_col + span - 1).borders[int(BorderSide::Right)];

      x += "<w:tc><w:tcPr><w:tcW w:w=\"" + std::to_string(col_w * span) + "\" w:type=\"dxa\"/>";
      if (span > 1) x += "<w:gridSpan w:val=\"" + std::to_string(span) + "\"/>";
      if (anchor.span_rows > 1) x += continues ? "<w:vMerge/>" : "<w:vMerge w:val=\"restart\"/>";
      if (b[0] || b[1] || b[2] || b[3]) {
        x += "<w:tcBorders>";
        static constexpr std::array<std::pair<BorderSide, const char*>, 4> kSides{{
            {BorderSide::Top, "top"}, {BorderSide::Left, "left"},
            {BorderSide::Bottom, "bottom"}, {BorderSide::Right, "right"}}};
        for (const auto& [side, name] : kSides)
          if (b[int(side)])
            x += std::string("<w:") + name + " w:val=\"single\" w:sz=\"" +
                 std::to_string(kCellBorderEighths) + "\" w:space=\"0\" w:color=\"000000\"/>";
        x += "</w:tcBorders>";
      }
      x += "</w:tcPr>";
      if (continues || anchor.paragraphs.empty()) {
        // A cell holds at least one paragraph; an empty one takes the alignment of its text-less
        // neighbours, left.
        x += "<w:p/>";
      } else {
        for (const auto& cp : anchor.paragraphs) {
          x += "<w:p><w:pPr><w:jc w:val=\"";
          x += AlignValue(cp.alignment);
          x += "\"/></w:pPr>";
          if (!cp.text.empty()) writeTextRun(x, cp.text, cp.format);
          x += "</w:p>";
        }
      }
      x += "</w:tc>";
      c = anchor_col + span;
    }
    x += "</w:tr>";
  }
  x += "</w:tbl>";
}

std::string Document::Impl::documentXml() const {
  std::string x(kXmlHead);
  x += "<w:document xmlns:w=\"" + std::string(kNsW) + "\" xmlns:r=\"" + std::string(kNsR) +
       "\" xmlns:wp=\"http://schemas.openxmlformats.org/drawingml/2006/wordprocessingDrawing\""
       " xmlns:a=\"http://schemas.openxmlformats.org/drawingml/2006/main\""
       " xmlns:pic=\"http://schemas.openxmlformats.org/drawingml/2006/picture\"><w:body>";
  // The footer reference goes with the end of the first section: in the kept body when a
  // section break is there, else at the first section break written now, else at the end.
  bool footer_placed = !page_numbers;
  if (!prior_body.empty()) {
    std::string body = prior_body;
    if (prior_has_section_break && page_numbers) {
      if (body.find("<w:footerReference") == std::string::npos) {
        const auto at = body.find("<w:sectPr>");
        body.insert(at + std::string_view("<w:sectPr>").size(),
                    "<w:footerReference w:type=\"default\" r:id=\"rIdFooter1\"/>");
      }
      footer_placed = true;
    }
    if (prior_has_section_break) footer_placed = true;  // the first section lies in the kept body
    x += body;
  }
  for (const auto& b : blocks) {
    if (const auto* p = std::get_if<Paragraph>(&b)) {
      const bool first_end = p->ends_section && !footer_placed;
      writeParagraph(x, *p, first_end);
      if (p->ends_section) footer_placed = true;
    } else {
      writeTable(x, std::get<Table>(b));
    }
  }
  x += sectionProps(page_numbers && !footer_placed);
  x += "</w:body></w:document>";
  return x;
}

std::string Document::Impl::stylesXml() const {
  const std::string f = Escape(default_font), s = std::to_string(default_half_points);
  std::string x(kXmlHead);
  x += "<w:styles xmlns:w=\"" + std::string(kNsW) + "\"><w:docDefaults><w:rPrDefault><w:rPr>";
  x += "<w:rFonts w:ascii=\"" + f + "\" w:hAnsi=\"" + f + "\" w:cs=\"" + f + "\" w:eastAsia=\"" +
       f + "\"/>";
  x += "<w:sz w:val=\"" + s + "\"/><w:szCs w:val=\"" + s + "\"/><w:lang w:val=\"en-US\"/>";
  x += "</w:rPr></w:rPrDefault><w:pPrDefault><w:pPr>"
       "<w:spacing w:after=\"0\" w:line=\"240\" w:lineRule=\"auto\"/></w:pPr></w:pPrDefault>"
       "</w:docDefaults>";
  x += "<w:style w:type=\"paragraph\" w:default=\"1\" w:styleId=\"Normal\"><w:name w:val=\"Normal\"/>"
       "<w:qFormat/></w:style>";
  x += "<w:style w:type=\"paragraph\" w:styleId=\"Footer\"><w:name w:val=\"footer\"/>"
       "<w:basedOn w:val=\"Normal\"/></w:style>";
  x += "<w:style w:type=\"table\" w:default=\"1\" w:styleId=\"TableNormal\">"
       "<w:name w:val=\"Normal Table\"/><w:tblPr><w:tblInd w:w=\"0\" w:type=\"dxa\"/>"
       "<w:tblCellMar><w:top w:w=\"0\" w:type=\"dxa\"/><w:left w:w=\"108\" w:type=\"dxa\"/>"
       "<w:bottom w:w=\"0\" w:type=\"dxa\"/><w:right w:w=\"108\" w:type=\"dxa\"/></w:tblCellMar>"
       "</w:tblPr></w:style>";
  x += "</w:styles>";
  return x;
}

std::string Document::Impl::relsXml() const {
  std::string x(kXmlHead);
  x += "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">";
  x += "<Relationship Id=\"rIdStyles\" Type=\"" + std::string(kNsR) +
       "/styles\" Target=\"styles.xml\"/>";
  if (page_numbers)
    x += "<Relationship Id=\"rIdFooter1\" Type=\"" + std::string(kNsR) +
         "/footer\" Target=\"footer1.xml\"/>";
  for (std::size_t i = 1; i <= images.size(); ++i)
    x += "<Relationship Id=\"rIdImage" + std::to_string(i) + "\" Type=\"" + std::string(kNsR) +
         "/image\" Target=\"media/image" + std::to_string(i) + ".png\"/>";
  x += "</Relationships>";
  return x;
}

std::string Document::Impl::contentTypesXml() const {
  std::string x(kXmlHead);
  x += "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
       "<Default Extension=\"rels\" "
       "ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
       "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
       "<Default Extension=\"png\" ContentType=\"image/png\"/>"
       "<Override PartName=\"/word/document.xml\" ContentType=\"application/"
       "vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml\"/>"
       "<Override PartName=\"/word/styles.xml\" ContentType=\"application/"
       "vnd.openxmlformats-officedocument.wordprocessingml.styles+xml\"/>";
  if (page_numbers)
    x += "<Override PartName=\"/word/footer1.xml\" ContentType=\"application/"
         "vnd.openxmlformats-officedocument.wordprocessingml.footer+xml\"/>";
  x += "<Override PartName=\"/docProps/core.xml\" "
       "ContentType=\"application/vnd.openxmlformats-package.core-properties+xml\"/>"
       "<Override PartName=\"/docProps/app.xml\" ContentType=\"application/"
       "vnd.openxmlformats-officedocument.extended-properties+xml\"/></Types>";
  return x;
}

namespace {

std::string PackageRelsXml() {
  std::string x(kXmlHead);
  x += "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
       "<Relationship Id=\"rId1\" Type=\"" + std::string(kNsR) +
       "/officeDocument\" Target=\"word/document.xml\"/>"
       "<Relationship Id=\"rId2\" Type=\"http://schemas.openxmlformats.org/package/2006/"
       "relationships/metadata/core-properties\" Target=\"docProps/core.xml\"/>"
       "<Relationship Id=\"rId3\" Type=\"" + std::string(kNsR) +
       "/extended-properties\" Target=\"docProps/app.xml\"/></Relationships>";
  return x;
}

std::string FooterXml() {
  std::string x(kXmlHead);
  x += "<w:ftr xmlns:w=\"" + std::string(kNsW) + "\" xmlns:r=\"" + std::string(kNsR) + "\">"
       "<w:p><w:pPr><w:pStyle w:val=\"Footer\"/><w:jc w:val=\"center\"/></w:pPr>"
       "<w:r><w:fldChar w:fldCharType=\"begin\"/></w:r>"
       "<w:r><w:instrText xml:space=\"preserve\"> PAGE </w:instrText></w:r>"
       "<w:r><w:fldChar w:fldCharType=\"separate\"/></w:r>"
       "<w:r><w:t>1</w:t></w:r>"
       "<w:r><w:fldChar w:fldCharType=\"end\"/></w:r></w:p></w:ftr>";
  return x;
}

std::string NowW3c() {
  const std::time_t t = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
  std::tm tm{};
  gmtime_r(&t, &tm);
  char buf[32];
  std::strftime(buf, sizeof buf, "%Y-%m-%dT%H:%M:%SZ", &tm);
  return buf;
}

std::string CoreXml() {
  const std::string now = NowW3c();
  std::string x(kXmlHead);
  x += "<cp:coreProperties "
       "xmlns:cp=\"http://schemas.openxmlformats.org/package/2006/metadata/core-properties\" "
       "xmlns:dc=\"http://purl.org/dc/elements/1.1/\" xmlns:dcterms=\"http://purl.org/dc/terms/\" "
       "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\">"
       "<dcterms:created xsi:type=\"dcterms:W3CDTF\">" + now + "</dcterms:created>"
       "<dcterms:modified xsi:type=\"dcterms:W3CDTF\">" + now + "</dcterms:modified>"
       "</cp:coreProperties>";
  return x;
}

std::string AppXml() {
  std::string x(kXmlHead);
  x += "<Properties xmlns=\"http://schemas.openxmlformats.org/officeDocument/2006/"
       "extended-properties\"><Application>" + std::string(kApplicationName) +
       "</Application></Properties>";
  return x;
}

std::string ZipErrorText(zip_error_t* e) { return zip_error_strerror(e); }

std::string PathText(const std::filesystem::path& p) { return p.string(); }

// Reads one whole entry of an open archive; nullopt when the entry is absent.
std::optional<std::string> ReadEntry(zip_t* za, const char* name,
                                     const std::filesystem::path& path) {
  zip_stat_t st;
  zip_stat_init(&st);
  if (zip_stat(za, name, 0, &st) != 0) return std::nullopt;
  if (!(st.valid & ZIP_STAT_SIZE) || st.size > kMaxEntryBytes)
    throw DocumentError("the document '" + PathText(path) + "' has an oversized part " + name);
  zip_file_t* f = zip_fopen(za, name, 0);
  if (!f)
    throw DocumentError("cannot read " + std::string(name) + " of '" + PathText(path) +
                        "': " + zip_strerror(za));
  std::string data(static_cast<std::size_t>(st.size), '\0');
  const zip_int64_t got = zip_fread(f, data.data(), st.size);
  zip_fclose(f);
  if (got < 0 || static_cast<zip_uint64_t>(got) != st.size)
    throw DocumentError("cannot read " + std::string(name) + " of '" + PathText(path) + "'");
  return data;
}

int CountOf(std::string_view hay, std::string_view needle) {
  int n = 0;
  for (auto at = hay.find(needle); at != std::string_view::npos;
       at = hay.find(needle, at + needle.size()))
    ++n;
  return n;
}

}  // namespace

// ---------------------------------------------------------------------------------------------

PngSize ReadPngSize(std::span<const std::uint8_t> png) {
  static constexpr std::array<std::uint8_t, 8> kSignature{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A,
                                                          '\n'};
  auto be32 = [&](std::size_t at) {
    return (std::uint32_t(png[at]) << 24) | (std::uint32_t(png[at + 1]) << 16) |
           (std::uint32_t(png[at + 2]) << 8) | std::uint32_t(png[at + 3]);
  };
  if (png.size() < 33 || !std::equal(kSignature.begin(), kSignature.end(), png.begin()) ||
      be32(8) != 13 || std::string_view(reinterpret_cast<const char*>(png.data() + 12), 4) != "IHDR")
    throw DocumentError("the picture is not a PNG image");
  PngSize s;
  s.width = be32(16);
  s.height = be32(20);
  if (s.width == 0 || s.height == 0 || s.width > 0x7FFFFFFF || s.height > 0x7FFFFFFF)
    throw DocumentError("the PNG picture has no valid size");
  // Look for the physical pixel size among the chunks before the image data.
  std::size_t at = 8;
  while (at + 12 <= png.size()) {
    const std::uint32_t len = be32(at);
    const std::string_view type(reinterpret_cast<const char*>(png.data() + at + 4), 4);
    if (type == "IDAT" || type == "IEND" || len > png.size() - at - 12) break;
    if (type == "pHYs" && len == 9 && png[at + 16] == 1) {
      const std::uint32_t ppm = be32(at + 8);  // pixels per metre, x axis
      if (ppm > 0) s.dots_per_inch = ppm * 0.0254;
    }
    at += 12 + len;
  }
  return s;
}

Document::Document() : impl_(std::make_unique<Impl>()) {}
Document::~Document() = default;
Document::Document(Document&&) noexcept = default;
Document& Document::operator=(Document&&) noexcept = default;

void Document::centerPara() { setAlignment(ParagraphAlignment::Center); }

void Document::setAlignment(ParagraphAlignment alignment) {
  impl_->current().alignment = alignment;
}

void Document::setFont(std::string_view name) {
  const std::string clean = CleanText(name);
  if (clean.empty()) throw DocumentError("a font needs a name");
  auto& d = *impl_;
  if (d.whole_selected) d.default_font = clean;
  d.applyToAll([&](RunFormat& f) { f.font = clean; });
}

void Document::setFontSize(double points) {
  if (!std::isfinite(points) || points < 1.0 || points > 1638.0)
    throw DocumentError("a font size must lie between 1 and 1638 points");
  const int half = RoundHalfEven(points * 2.0);
  auto& d = *impl_;
  if (d.whole_selected) d.default_half_points = half;
  d.applyToAll([&](RunFormat& f) { f.half_points = half; });
}

void Document::setBold(bool bold) {
  impl_->applyToAll([&](RunFormat& f) { f.bold = bold; });
}

void Document::selectAll() { impl_->whole_selected = true; }

void Document::insertText(std::string_view text) {
  auto& d = *impl_;
  d.endSelection();
  std::string clean = CleanText(text);
  if (clean.empty()) return;
  auto& runs = d.current().runs;
  // Text typed in the same format continues the run before it.
  if (!runs.empty()) {
    if (auto* last = std::get_if<TextRun>(&runs.back());
        last && last->format.font == d.typing.font &&
        last->format.half_points == d.typing.half_points && last->format.bold == d.typing.bold) {
      last->text += clean;
      return;
    }
  }
  runs.emplace_back(TextRun{std::move(clean), d.typing});
}

void Document::insertPara() {
  auto& d = *impl_;
  d.endSelection();
  Paragraph next;
  next.alignment = d.current().alignment;
  d.blocks.emplace_back(std::move(next));
}

void Document::insertPageBreak() {
  impl_->endSelection();
  impl_->current().runs.emplace_back(PageBreakRun{});
}

void Document::insertSectionBreak() {
  auto& d = *impl_;
  d.endSelection();
  d.current().ends_section = true;
  Paragraph next;
  next.alignment = d.current().alignment;
  d.blocks.emplace_back(std::move(next));
}

void Document::insertPicture(std::span<const std::uint8_t> png, double width_inches,
                             bool outside_border) {
  if (!std::isfinite(width_inches) || width_inches < 0.0)
    throw DocumentError("a picture width must be a positive number of inches");
  const PngSize size = ReadPngSize(png);
  auto& d = *impl_;
  d.endSelection();
  double w = width_inches;
  if (w == 0.0) {
    const double dpi = size.dots_per_inch > 0 ? size.dots_per_inch : kScreenDotsPerInch;
    w = std::min(size.width / dpi, GeometryOf(d.paper).textWidthInches());
  }
  const double h = w * double(size.height) / double(size.width);
  PictureRun run;
  run.cx = std::max<std::int64_t>(1, RoundHalfEven(w * kEmuPerInch));
  run.cy = std::max<std::int64_t>(1, RoundHalfEven(h * kEmuPerInch));
  run.border = outside_border;
  d.images.emplace_back(png.begin(), png.end());
  run.image = int(d.images.size());
  d.current().runs.emplace_back(run);
}

int Document::addTable(int rows, int cols, int heading_rows) {
  if (rows < 1 || cols < 1 || rows > 32767 || cols > 63)
    throw DocumentError("a table needs 1 to 32767 rows and 1 to 63 columns, not " +
                        std::to_string(rows) + " x " + std::to_string(cols));
  auto& d = *impl_;
  d.endSelection();
  Table t;
  t.rows = rows;
  t.cols = cols;
  t.heading_rows = std::clamp(heading_rows, 0, rows);
  t.cells.resize(std::size_t(rows) * std::size_t(cols));
  Paragraph after;
  after.alignment = d.current().alignment;
  const bool current_empty = d.current().runs.empty() && !d.current().ends_section;
  if (current_empty) d.blocks.pop_back();
  d.table_blocks.push_back(d.blocks.size());
  d.blocks.emplace_back(std::move(t));
  d.blocks.emplace_back(std::move(after));
  return d.prior_tables + int(d.table_blocks.size());
}

void Document::setCellText(int table, int row, int col, std::string_view text) {
  auto& d = *impl_;
  Table& t = d.table(table);
  Impl::checkCell(t, table, row, col);
  Cell& cell = t.at(row, col);
  if (cell.anchor_row != 0)
    throw DocumentError("cell (" + std::to_string(row) + ", " + std::to_string(col) +
                        ") of table " + std::to_string(table) +
                        " is covered by a merged cell; write into its top-left cell");
  cell.paragraphs.clear();
  cell.paragraphs.push_back(CellParagraph{CleanText(text), d.typing, d.current().alignment});
}

void Document::mergeCells(int table, int row, int col, int last_row, int last_col) {
  auto& d = *impl_;
  Table& t = d.table(table);
  Impl::checkCell(t, table, row, col);
  Impl::checkCell(t, table, last_row, last_col);
  if (last_row < row || last_col < col)
    throw DocumentError("a merge runs from its top-left cell to its bottom-right cell");
  for (int r = row; r <= last_row; ++r)
    for (int c = col; c <= last_col; ++c) {
      const Cell& cell = t.at(r, c);
      if (cell.anchor_row != 0 || cell.span_rows > 1 || cell.span_cols > 1)
        throw DocumentError("cell (" + std::to_string(r) + ", " + std::to_string(c) +
                            ") of table " + std::to_string(table) + " is already merged");
    }
  Cell& anchor = t.at(row, col);
  for (int r = row; r <= last_row; ++r)
    for (int c = col; c <= last_col; ++c) {
      if (r == row && c == col) continue;
      Cell& cell = t.at(r, c);
      for (auto& p : cell.paragraphs)
        if (!p.text.empty()) anchor.paragraphs.push_back(std::move(p));
      cell.paragraphs.clear();
      cell.anchor_row = row;
      cell.anchor_col = col;
    }
  // An empty first cell must not leave a blank line above the text merged into it.
  std::erase_if(anchor.paragraphs, [](const CellParagraph& p) { return p.text.empty(); });
  anchor.span_rows = last_row - row + 1;
  anchor.span_cols = last_col - col + 1;
}

void Document::setCellBorder(int table, int row, int col, BorderSide side) {
  Table& t = impl_->table(table);
  Impl::checkCell(t, table, row, col);
  t.at(row, col).borders[int(side)] = true;
}

void Document::setRowBorder(int table, int row, BorderSide side) {
  Table& t = impl_->table(table);
  Impl::checkCell(t, table, row, 1);
  for (int c = 1; c <= t.cols; ++c) t.at(row, c).borders[int(side)] = true;
}

int Document::tableCount() const {
  return impl_->prior_tables + int(impl_->table_blocks.size());
}

void Document::moveDown(int count, int unit) {
  if (count < 0) throw DocumentError("the insertion point cannot move down a negative count");
  if (unit != 4 && unit != 5) throw DocumentError("unknown unit code " + std::to_string(unit));
  impl_->endSelection();
}

void Document::addPageNumbers() { impl_->page_numbers = true; }

void Document::setPaperSize(PaperSize paper) { impl_->paper = paper; }

PaperSize Document::paperSize() const { return impl_->paper; }

void Document::keepWithNext() { impl_->current().keep_with_next = true; }

void Document::save(const std::filesystem::path& path) const {
  const auto& d = *impl_;
  if (path.filename().empty())
    throw DocumentError("cannot save the document: '" + PathText(path) + "' names no file");
  const auto fail = [&](const std::string& why) {
    return DocumentError("cannot save the document '" + PathText(path) + "': " + why);
  };

  // The parts; the archive reads them when it is closed, so they live until then.
  std::vector<std::pair<std::string, std::string>> parts;
  parts.emplace_back("[Content_Types].xml", d.contentTypesXml());
  parts.emplace_back("_rels/.rels", PackageRelsXml());
  parts.emplace_back("docProps/core.xml", CoreXml());
  parts.emplace_back("docProps/app.xml", AppXml());
  parts.emplace_back("word/document.xml", d.documentXml());
  parts.emplace_back("word/styles.xml", d.stylesXml());
  parts.emplace_back("word/_rels/document.xml.rels", d.relsXml());
  if (d.page_numbers) parts.emplace_back("word/footer1.xml", FooterXml());

  // The archive is made in memory and then replaces the file in one step, through the writer
  // that every output of the program goes through.
  zip_error_t ze;
  zip_error_init(&ze);
  zip_source_t* buffer = zip_source_buffer_create(nullptr, 0, 0, &ze);
  zip_t* za = buffer ? zip_open_from_source(buffer, ZIP_TRUNCATE, &ze) : nullptr;
  if (!za) {
    const std::string why = ZipErrorText(&ze);
    zip_error_fini(&ze);
    if (buffer) zip_source_free(buffer);
    throw fail(why);
  }
  zip_error_fini(&ze);
  zip_source_keep(buffer);  // the bytes outlive the archive
  struct BufferOwner {
    zip_source_t* src;
    ~BufferOwner() { zip_source_free(src); }
  } owner{buffer};

  auto add = [&](const std::string& name, const void* data, std::size_t size, bool store) {
    zip_source_t* src = zip_source_buffer(za, data, size, 0);
    if (!src) return false;
    const zip_int64_t idx = zip_file_add(za, name.c_str(), src, ZIP_FL_ENC_UTF_8);
    if (idx < 0) {
      zip_source_free(src);
      return false;
    }
    if (store) zip_set_file_compression(za, zip_uint64_t(idx), ZIP_CM_STORE, 0);
    return true;
  };
  bool ok = true;
  for (const auto& [name, text] : parts) ok = ok && add(name, text.data(), text.size(), false);
  for (std::size_t i = 0; ok && i < d.images.size(); ++i)
    ok = add("word/media/image" + std::to_string(i + 1) + ".png", d.images[i].data(),
             d.images[i].size(), true);  // PNG is compressed already
  if (!ok || zip_close(za) != 0) {
    const std::string why = zip_strerror(za);
    zip_discard(za);
    throw fail(why);
  }

  std::string bytes;
  zip_stat_t st;
  zip_stat_init(&st);
  if (zip_source_stat(buffer, &st) != 0 || !(st.valid & ZIP_STAT_SIZE) ||
      zip_source_open(buffer) != 0)
    throw fail("the archive cannot be read back from memory");
  bytes.resize(static_cast<std::size_t>(st.size));
  const zip_int64_t got = zip_source_read(buffer, bytes.data(), st.size);
  zip_source_close(buffer);
  if (got < 0 || static_cast<zip_uint64_t>(got) != st.size)
    throw fail("the archive cannot be read back from memory");
  try {
    ReplaceFileAtomically(path, bytes);
  } catch (const AtomicWriteError& e) {
    throw fail(e.what());
  }
}

Document Document::open(const std::filesystem::path& path) {
  int err = 0;
  zip_t* za = zip_open(path.c_str(), ZIP_RDONLY | ZIP_CHECKCONS, &err);
  if (!za) {
    zip_error_t ze;
    zip_error_init_with_code(&ze, err);
    const std::string why = ZipErrorText(&ze);
    zip_error_fini(&ze);
    throw DocumentError("cannot open the document '" + PathText(path) + "': " + why);
  }
  struct Closer {
    zip_t* za;
    ~Closer() { zip_discard(za); }
  } closer{za};

  const auto not_ours = [&](const std::string& why) {
    return DocumentError("cannot reopen '" + PathText(path) +
                         "': it is not a report document written by this program (" + why + ")");
  };
  const auto app = ReadEntry(za, "docProps/app.xml", path);
  if (!app || app->find("<Application>" + std::string(kApplicationName) + "</Application>") ==
                  std::string::npos)
    throw not_ours("another application made it");
  const auto doc = ReadEntry(za, "word/document.xml", path);
  if (!doc) throw not_ours("no word/document.xml");
  const auto body_at = doc->find("<w:body>");
  const auto end_at = doc->rfind("<w:sectPr>");
  if (body_at == std::string::npos || end_at == std::string::npos || end_at < body_at)
    throw not_ours("no document body");

  Document result;
  auto& d = *result.impl_;
  d.prior_body = doc->substr(body_at + 8, end_at - body_at - 8);
  // The reopened document keeps its paper: appended pictures and tables fit its text width.
  if (doc->find("<w:pgSz w:w=\"" + std::to_string(kA4.width) + "\"", end_at) != std::string::npos)
    d.paper = PaperSize::A4;
  d.prior_tables = CountOf(d.prior_body, "<w:tbl>");
  d.prior_has_section_break = d.prior_body.find("<w:sectPr>") != std::string::npos;
  d.page_numbers = ReadEntry(za, "word/footer1.xml", path).has_value();
  const int pictures = CountOf(d.prior_body, "<w:drawing>");
  for (int i = 1; i <= pictures; ++i) {
    const std::string name = "word/media/image" + std::to_string(i) + ".png";
    auto bytes = ReadEntry(za, name.c_str(), path);
    if (!bytes) throw not_ours("missing " + name);
    d.images.emplace_back(bytes->begin(), bytes->end());
  }
  if (const auto styles = ReadEntry(za, "word/styles.xml", path)) {
    // The document-wide font and size, as a select-all had set them.
    const std::string key = "w:ascii=\"";
    if (const auto f = styles->find(key); f != std::string::npos) {
      const auto e = styles->find('"', f + key.size());
      if (e != std::string::npos) {
        std::string font = styles->substr(f + key.size(), e - f - key.size());
        // Our own escaping: only &amp; &quot; &apos; &lt; &gt; can appear.
        for (const auto& [from, to] : {std::pair<std::string, std::string>{"&quot;", "\""},
                                       {"&apos;", "'"}, {"&lt;", "<"}, {"&gt;", ">"},
                                       {"&amp;", "&"}})
          for (auto p = font.find(from); p != std::string::npos; p = font.find(from, p + 1))
            font.replace(p, from.size(), to);
        if (!font.empty()) d.default_font = font;
      }
    }
    const std::string sz = "<w:sz w:val=\"";
    if (const auto s = styles->find(sz); s != std::string::npos) {
      const int v = std::atoi(styles->c_str() + s + sz.size());
      if (v > 0) d.default_half_points = v;
    }
  }
  // The empty paragraph that held the insertion point when the document was saved becomes the
  // insertion point again, so that appending does not leave a blank line.
  const auto last_p = d.prior_body.rfind("<w:p>");
  if (last_p != std::string::npos) {
    const std::string_view tail = std::string_view(d.prior_body).substr(last_p);
    const bool empty_para = tail.find("<w:r>") == std::string_view::npos &&
                            tail.find("<w:sectPr") == std::string_view::npos &&
                            tail.find("</w:tc>") == std::string_view::npos &&
                            tail.ends_with("</w:p>");
    if (empty_para) {
      if (tail.find("w:val=\"center\"") != std::string_view::npos)
        d.current().alignment = ParagraphAlignment::Center;
      d.prior_body.erase(last_p);
    }
  }
  return result;
}

}  // namespace tarmac
