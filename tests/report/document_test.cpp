// The report document writer, checked by reading its documents back with an independent reader
// (python-docx through read_docx.py) and its archives with libzip.
#include "report/document.h"

#include <gtest/gtest.h>
#include <zip.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

namespace tarmac {
namespace {

namespace fs = std::filesystem;
constexpr double kEmuPerInch = 914400.0;

// ---- A small PNG encoder (stored deflate blocks), so the pictures are real images ----

void Put32(std::vector<std::uint8_t>& v, std::uint32_t x) {
  for (int s = 24; s >= 0; s -= 8) v.push_back(std::uint8_t(x >> s));
}

void Chunk(std::vector<std::uint8_t>& png, const char* type, const std::vector<std::uint8_t>& d) {
  Put32(png, std::uint32_t(d.size()));
  std::vector<std::uint8_t> body(type, type + 4);
  body.insert(body.end(), d.begin(), d.end());
  png.insert(png.end(), body.begin(), body.end());
  std::uint32_t crc = ~0u;
  for (std::uint8_t b : body) {
    crc ^= b;
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  Put32(png, ~crc);
}

// A grey RGB picture of w x h pixels, with a pHYs resolution when dpi > 0.
std::vector<std::uint8_t> MakePng(std::uint32_t w, std::uint32_t h, std::uint32_t dpi = 0) {
  std::vector<std::uint8_t> raw;
  for (std::uint32_t y = 0; y < h; ++y) {
    raw.push_back(0);  // no filter
    raw.insert(raw.end(), std::size_t(w) * 3, std::uint8_t(y * 7));
  }
  std::vector<std::uint8_t> z{0x78, 0x01};
  for (std::size_t at = 0; at < raw.size();) {
    const std::size_t n = std::min<std::size_t>(65535, raw.size() - at);
    z.push_back(at + n == raw.size() ? 1 : 0);
    z.insert(z.end(), {std::uint8_t(n), std::uint8_t(n >> 8), std::uint8_t(~n), std::uint8_t(~n >> 8)});
    z.insert(z.end(), raw.begin() + std::ptrdiff_t(at), raw.begin() + std::ptrdiff_t(at + n));
    at += n;
  }
  std::uint32_t a = 1, b = 0;
  for (std::uint8_t c : raw) b = (b + (a = (a + c) % 65521)) % 65521;
  Put32(z, (b << 16) | a);

  std::vector<std::uint8_t> png{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'}, ihdr, phys;
  Put32(ihdr, w);
  Put32(ihdr, h);
  ihdr.insert(ihdr.end(), {8, 2, 0, 0, 0});
  Chunk(png, "IHDR", ihdr);
  if (dpi > 0) {
    const auto ppm = std::uint32_t(dpi / 0.0254 + 0.5);
    Put32(phys, ppm);
    Put32(phys, ppm);
    phys.push_back(1);
    Chunk(png, "pHYs", phys);
  }
  Chunk(png, "IDAT", z);
  Chunk(png, "IEND", {});
  return png;
}

// ---- The independent reader ----

std::string Unescape(const std::string& s) {
  std::string out;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\\' && i + 1 < s.size()) {
      const char c = s[++i];
      out += c == 't' ? '\t' : c == 'n' ? '\n' : c;
    } else {
      out += s[i];
    }
  }
  return out;
}

using Fields = std::vector<std::string>;

// What the reader found: every line split into its fields.
struct ReadBack {
  std::vector<Fields> lines;

  std::vector<Fields> all(const std::string& kind) const {
    std::vector<Fields> out;
    for (const auto& l : lines)
      if (!l.empty() && l[0] == kind) out.push_back(l);
    return out;
  }
  Fields texts() const {
    Fields out;
    for (const auto& l : all("PARA")) out.push_back(Unescape(l.at(6)));
    return out;
  }
  // The CELL line of table t at grid position (row, col); empty when no cell starts there.
  Fields cell(int t, int row, int col) const {
    for (const auto& l : all("CELL"))
      if (l[1] == std::to_string(t) && l[2] == std::to_string(row) && l[3] == std::to_string(col))
        return l;
    return {};
  }
  std::string cellText(int t, int row, int col) const {
    const auto c = cell(t, row, col);
    return c.empty() ? "<no cell>" : Unescape(c.at(7));
  }
};

std::vector<std::string> ZipEntries(const fs::path& path) {
  int err = 0;
  zip_t* za = zip_open(path.c_str(), ZIP_RDONLY | ZIP_CHECKCONS, &err);
  std::vector<std::string> names;
  if (!za) return names;
  for (zip_int64_t i = 0; i < zip_get_num_entries(za, 0); ++i)
    names.emplace_back(zip_get_name(za, zip_uint64_t(i), 0));
  zip_discard(za);
  return names;
}

bool Contains(const std::vector<std::string>& v, const std::string& s) {
  return std::find(v.begin(), v.end(), s) != v.end();
}

// Every text of `want` appears among `texts`, in this order.
void ExpectInOrder(const Fields& texts, const Fields& want) {
  auto from = texts.begin();
  for (const auto& w : want) {
    const auto it = std::find(from, texts.end(), w);
    ASSERT_NE(it, texts.end()) << "missing or out of order: " << w;
    from = it + 1;
  }
}

class DocumentTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("tarmac_report_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) +
            "_" + std::to_string(::getpid()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override {
    std::error_code ec;
    fs::remove_all(dir_, ec);
  }
  // Saves `doc` and reads it back; skips the test when python-docx is missing.
  ReadBack SaveAndRead(Document& doc, const std::string& name) {
    doc.save(dir_ / name);
    std::string python;
    for (const char* p : {"python3", "/usr/bin/python3"})
      if (std::system((std::string(p) + " -c \"import docx\" >/dev/null 2>&1").c_str()) == 0) {
        python = p;
        break;
      }
    if (python.empty()) {
      skipped_ = true;
      return {};
    }
    const std::string cmd = python + " '" TARMAC_SOURCE_DIR "/tests/report/read_docx.py' '" +
                            (dir_ / name).string() + "' 2>&1";
    ReadBack rb;
    FILE* pipe = ::popen(cmd.c_str(), "r");
    if (!pipe) return rb;
    std::string out;
    std::array<char, 4096> buf{};
    while (std::size_t n = std::fread(buf.data(), 1, buf.size(), pipe)) out.append(buf.data(), n);
    EXPECT_EQ(::pclose(pipe), 0) << out;
    std::istringstream in(out);
    for (std::string line; std::getline(in, line);) {
      Fields f;
      std::size_t start = 0;
      for (std::size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1)
        f.push_back(line.substr(start, tab - start));
      f.push_back(line.substr(start));
      rb.lines.push_back(std::move(f));
    }
    return rb;
  }
  std::size_t FolderSize() const {
    return std::size_t(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()));
  }
  fs::path dir_;
  bool skipped_ = false;
};

#define READ_OR_SKIP(rb, expr) \
  const ReadBack rb = (expr);  \
  if (skipped_) GTEST_SKIP() << "python3 with the docx package is not available"

// The shape of the batch report: a centred bold title, framed plot pictures, lines with inner
// blanks, a page break, an index table with headings holding blanks, values merged down two rows,
// a bordered total row and a heading merged across, a section break and page numbers.
TEST_F(DocumentTest, BatchReportReadsBackAsBuilt) {
  const auto profile_png = MakePng(640, 240);
  const auto speed_png = MakePng(192, 96, 192);  // 1 x 0.5 inch at its stated resolution
  Document doc;
  doc.centerPara();
  doc.setFont("Times New Roman");
  doc.setBold(true);
  doc.insertText("Roughness Measurement and Analysis of RW09.Pro");
  doc.insertPara();
  doc.setBold(false);
  doc.setAlignment(ParagraphAlignment::Left);
  doc.insertPicture(profile_png, 6.0, true);
  doc.insertPara();
  doc.insertPicture(speed_png);
  doc.insertPara();
  doc.insertText("Profile Max =   1.25 inches, Min =  -0.75 inches");
  doc.insertPara();
  doc.insertPageBreak();
  doc.insertPara();
  doc.insertText("Table 1 Indexes for RW09.pro");
  doc.insertPara();

  const int rows = 7, cols = 7;
  const int t = doc.addTable(rows, cols);
  ASSERT_EQ(t, 1);
  const Fields headings{"Section", "Length        (ft)", "Straightedge  (inch)", "Boeing",
                        "IRI           (in/mile)", "BandPass      (inch)", "CA PI         (in/mile)"};
  for (int c = 1; c <= cols; ++c) doc.setCellText(t, 1, c, headings[std::size_t(c - 1)]);
  for (int r = 2; r <= 5; ++r) {
    doc.setCellText(t, r, 1, " " + std::to_string(r - 1));
    doc.setCellText(t, r, 7, std::to_string(r) + ".5000");
  }
  for (int r = 2; r <= 4; r += 2)
    for (int c = 3; c <= 6; ++c) {
      doc.setCellText(t, r, c, std::to_string(c) + ".0" + std::to_string(r));
      doc.mergeCells(t, r, c, r + 1, c);
    }
  doc.setCellText(t, 6, 1, "Total");
  doc.setRowBorder(t, 6, BorderSide::Top);
  doc.setCellText(t, 7, 2, "merged across");
  doc.mergeCells(t, 7, 2, 7, 7);
  EXPECT_EQ(doc.tableCount(), 1);
  doc.moveDown(1, 5);  // past the table
  doc.insertPara();
  doc.insertSectionBreak();
  doc.insertText("RW09 - page 2");
  doc.addPageNumbers();

  READ_OR_SKIP(rb, SaveAndRead(doc, "RW09.docx"));
  // The package: every part a word processor needs, checked with libzip itself.
  const auto entries = ZipEntries(dir_ / "RW09.docx");
  for (const char* name : {"[Content_Types].xml", "_rels/.rels", "word/document.xml",
                           "word/_rels/document.xml.rels", "word/styles.xml", "word/footer1.xml",
                           "word/media/image1.png", "word/media/image2.png", "docProps/core.xml",
                           "docProps/app.xml"})
    EXPECT_TRUE(Contains(entries, name)) << name;
  EXPECT_FALSE(Contains(entries, "word/media/image3.png"));

  const auto paras = rb.all("PARA");
  ASSERT_GE(paras.size(), 8u);
  // The title: centred, bold, Times New Roman; the next paragraph left and not bold.
  EXPECT_EQ(paras[0][2] + paras[0][3] + paras[0][4], "center1Times New Roman");
  EXPECT_EQ(paras[1][2] + paras[1][3], "left0");
  const auto texts = rb.texts();
  ExpectInOrder(texts, {"Roughness Measurement and Analysis of RW09.Pro",
                        "Profile Max =   1.25 inches, Min =  -0.75 inches",
                        "Table 1 Indexes for RW09.pro", "RW09 - page 2"});
  EXPECT_EQ(texts.back(), "RW09 - page 2");

  const auto tables = rb.all("TABLE");
  ASSERT_EQ(tables.size(), 1u);
  EXPECT_EQ(tables[0][2] + "x" + tables[0][3], "7x7");
  for (int c = 1; c <= cols; ++c) EXPECT_EQ(rb.cellText(1, 1, c), headings[std::size_t(c - 1)]);
  // Values merged down: the first of two rows restarts, the second continues.
  for (int r = 2; r <= 4; r += 2)
    for (int c = 3; c <= 6; ++c) {
      const auto top = rb.cell(1, r, c), below = rb.cell(1, r + 1, c);
      ASSERT_FALSE(top.empty() || below.empty());
      EXPECT_EQ(top[5] + "/" + below[5], "restart/continue");
      EXPECT_EQ(Unescape(top[7]), std::to_string(c) + ".0" + std::to_string(r));
      EXPECT_EQ(Unescape(below[7]), "");
    }
  EXPECT_EQ(rb.cellText(1, 3, 1), " 2");  // leading blank of the section number kept
  EXPECT_EQ(rb.cellText(1, 5, 7), "5.5000");
  // The total row carries its top border on every cell, the other rows none of their own.
  for (int c = 1; c <= cols; ++c) {
    EXPECT_EQ(rb.cell(1, 6, c).at(6), "T") << c;
    EXPECT_EQ(rb.cell(1, 5, c).at(6), "-") << c;
  }
  // The merge across: one cell spanning columns 2..7, no cell starting inside it.
  EXPECT_EQ(rb.cell(1, 7, 2).at(4), "6");
  EXPECT_EQ(rb.cellText(1, 7, 2), "merged across");
  EXPECT_TRUE(rb.cell(1, 7, 3).empty());
  EXPECT_EQ(rb.all("CELL").size(), std::size_t(rows * cols - 5));

  // Pictures: the first framed, 6 inches wide with the picture's proportions; the second at the
  // size its header states (whole pixels per metre: 192 dpi comes back as 7559 per metre).
  const auto pics = rb.all("PICTURE");
  ASSERT_EQ(pics.size(), 2u);
  EXPECT_EQ(std::stoll(pics[0][2]), std::llround(6.0 * kEmuPerInch));
  EXPECT_NEAR(std::stod(pics[0][3]), 6.0 * kEmuPerInch * 240.0 / 640.0, 1.0);
  EXPECT_EQ(pics[0][4] + " " + pics[0][6], "1 640x240");
  EXPECT_EQ(std::stoll(pics[0][5]), std::ssize(profile_png));
  const double stated_inches = 192.0 / (std::round(192.0 / 0.0254) * 0.0254);
  EXPECT_NEAR(std::stod(pics[1][2]), stated_inches * kEmuPerInch, 1.0);
  EXPECT_NEAR(std::stod(pics[1][3]), stated_inches / 2 * kEmuPerInch, 1.0);
  EXPECT_EQ(pics[1][4] + " " + pics[1][6], "0 192x96");

  EXPECT_EQ(rb.all("PAGEBREAKS").at(0).at(1), "1");
  // Two sections, the second on a new page; the PAGE field in the first section's footer, which
  // the second links to.
  const auto sections = rb.all("SECTION");
  ASSERT_EQ(sections.size(), 2u);
  EXPECT_EQ(sections[0][3], "PAGE");
  EXPECT_EQ(sections[1][2] + " " + sections[1][3], "NEW_PAGE -");
}

// The chart document: each chart is appended to the document the earlier charts went into.
TEST_F(DocumentTest, ReopenedDocumentKeepsItsContentAndAppends) {
  const fs::path path = dir_ / "RW09Chart.docx";
  {
    Document doc;
    doc.setFont("Times New Roman");
    doc.setFontSize(10);
    doc.insertPicture(MakePng(300, 200), 5.0);
    doc.insertText("Straightedge chart");
    doc.insertPara();
    doc.setCellText(doc.addTable(2, 2), 1, 1, "kept  table");
    doc.insertSectionBreak();
    doc.insertText("after the break");
    doc.insertPara();
    doc.save(path);
  }
  {
    Document doc = Document::open(path);
    EXPECT_EQ(doc.tableCount(), 1);
    EXPECT_THROW(doc.setCellText(1, 1, 1, "x"), DocumentError);  // a kept table stays as it is
    doc.moveDown(1, 4);
    doc.setFontSize(10);
    doc.insertPicture(MakePng(400, 100), 5.0);
    doc.insertText("Boeing Bump chart");
    const int t = doc.addTable(1, 3);
    EXPECT_EQ(t, 2);
    doc.setCellText(t, 1, 3, "new");
    doc.addPageNumbers();  // goes to the first section, which lies in the kept part
    doc.save(path);
  }
  Document doc = Document::open(path);
  EXPECT_EQ(doc.tableCount(), 2);
  doc.insertPicture(MakePng(50, 50), 1.0);
  doc.insertText("IRI chart");
  READ_OR_SKIP(rb, SaveAndRead(doc, "RW09Chart.docx"));

  const auto texts = rb.texts();
  ExpectInOrder(texts, {"Straightedge chart", "after the break", "Boeing Bump chart", "IRI chart"});
  // The saved insertion point (the empty paragraph after "after the break") was reused.
  const auto after = std::find(texts.begin(), texts.end(), "after the break");
  ASSERT_NE(after + 1, texts.end());
  EXPECT_EQ(*(after + 1), "Boeing Bump chart");

  // Each picture still shows its own image.
  const auto pics = rb.all("PICTURE");
  ASSERT_EQ(pics.size(), 3u);
  EXPECT_EQ(pics[0][6] + " " + pics[1][6] + " " + pics[2][6], "300x200 400x100 50x50");
  EXPECT_NEAR(std::stod(pics[1][3]), 1.25 * kEmuPerInch, 1.0);
  EXPECT_EQ(rb.all("TABLE").size(), 2u);
  EXPECT_EQ(rb.cellText(1, 1, 1), "kept  table");
  EXPECT_EQ(rb.cellText(2, 1, 3), "new");
  const auto sections = rb.all("SECTION");
  ASSERT_EQ(sections.size(), 2u);
  EXPECT_EQ(sections[0][3], "PAGE");
  // The size set before the first save came back with the text runs (after the picture's run).
  for (const auto& p : rb.all("PARA"))
    EXPECT_TRUE(p[5] == "-|10.0" || (p[6] != "Straightedge chart" && p[6] != "Boeing Bump chart"))
        << p[6] << " sizes " << p[5];
}

// Texts from outside (markup characters, an old Latin-1 file name, control codes, tabs, line
// ends) survive exactly; selecting everything and setting the font reaches every run, tables
// included; merging keeps the merged cells' texts in reading order.
TEST_F(DocumentTest, TextFontsAndMergesAreCarriedExactly) {
  Document doc;
  doc.setFont("Courier New");
  doc.setFontSize(9);
  doc.insertText("a <b> & \"c\" 'd'\x01 caf\xE9 \xC2\xB5m");  // é in Latin-1, µ in UTF-8
  doc.insertPara();
  doc.setBold(true);
  doc.insertText("col1\tcol2\r\nnext line");
  doc.insertPara();
  doc.insertText("   ");  // blanks only, kept
  int t = doc.addTable(1, 2);
  doc.setCellText(t, 1, 1, "x < y & z");
  doc.setCellText(t, 1, 2, "\xFF");
  doc.selectAll();
  doc.setFont("Times New Roman");
  doc.setFontSize(12);
  doc.insertPara();  // the selection ends here
  doc.setFontSize(8);
  doc.insertText("later");
  doc.insertPara();
  t = doc.addTable(2, 3);
  doc.setCellText(t, 1, 2, "b");
  doc.setCellText(t, 1, 3, "c");
  doc.setCellText(t, 2, 2, "e");
  doc.mergeCells(t, 1, 1, 2, 3);

  READ_OR_SKIP(rb, SaveAndRead(doc, "text.docx"));
  const auto texts = rb.texts();
  ASSERT_GE(texts.size(), 4u);
  EXPECT_EQ(texts[0], "a <b> & \"c\" 'd' caf\xC3\xA9 \xC2\xB5m");
  EXPECT_EQ(texts[1], "col1\tcol2\nnext line");
  EXPECT_EQ(texts[2], "   ");
  EXPECT_EQ(rb.cellText(1, 1, 1), "x < y & z");
  EXPECT_EQ(rb.cellText(1, 1, 2), "\xC3\xBF");
  for (const auto& p : rb.all("PARA")) {
    const auto text = Unescape(p[6]);
    if (text.empty() || text == "   ") continue;
    EXPECT_EQ(p[4], "Times New Roman") << text;
    EXPECT_EQ(p[5], text == "later" ? "8.0" : "12.0") << text;
    EXPECT_EQ(p[3], text == texts[0] ? "0" : "1") << text;
  }
  EXPECT_EQ(rb.cellText(2, 1, 1), "b\nc\ne");
  EXPECT_EQ(rb.cell(2, 1, 1).at(4) + rb.cell(2, 2, 1).at(4), "33");
  EXPECT_EQ(rb.cell(2, 2, 1).at(5), "continue");
  EXPECT_EQ(rb.all("CELL").size(), 4u);
}

// Saving: the folder must exist, a failure names the path and leaves nothing behind, an existing
// document is replaced whole. Reopening refuses what this writer did not make, untouched.
TEST_F(DocumentTest, SaveIsAtomicAndReopenRefusesForeignFiles) {
  Document doc;
  doc.insertText("one");
  const fs::path missing = dir_ / "no such folder" / "r.docx";
  try {
    doc.save(missing);
    ADD_FAILURE() << "saving into a missing folder succeeded";
  } catch (const DocumentError& e) {
    EXPECT_NE(std::string(e.what()).find(missing.string()), std::string::npos) << e.what();
  }
  EXPECT_FALSE(fs::exists(missing));
  // A folder standing where the file should go: refused, and no temporary file is left.
  fs::create_directory(dir_ / "taken.docx");
  EXPECT_THROW(doc.save(dir_ / "taken.docx"), DocumentError);
  EXPECT_TRUE(fs::is_directory(dir_ / "taken.docx"));
  EXPECT_EQ(FolderSize(), 1u);

  const fs::path path = dir_ / "r.docx";
  doc.save(path);
  const auto first_size = fs::file_size(path);
  Document bigger;
  bigger.insertPicture(MakePng(120, 80), 2.0);
  bigger.save(path);
  EXPECT_GT(fs::file_size(path), first_size);
  EXPECT_TRUE(Contains(ZipEntries(path), "word/media/image1.png"));
  EXPECT_EQ(FolderSize(), 2u);  // the folder and the document, no leftovers

  EXPECT_THROW(Document::open(dir_ / "absent.docx"), DocumentError);
  std::ofstream(dir_ / "garbage.docx") << "not a zip at all";
  EXPECT_THROW(Document::open(dir_ / "garbage.docx"), DocumentError);
  const fs::path foreign = dir_ / "foreign.docx";
  int err = 0;
  zip_t* za = zip_open(foreign.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &err);
  ASSERT_NE(za, nullptr);
  static const char kBody[] = "<w:document><w:body><w:p/><w:sectPr></w:sectPr></w:body></w:document>";
  zip_file_add(za, "word/document.xml", zip_source_buffer(za, kBody, sizeof kBody - 1, 0), 0);
  ASSERT_EQ(zip_close(za), 0);
  const auto before = fs::file_size(foreign);
  try {
    Document::open(foreign);
    ADD_FAILURE() << "a foreign document was reopened";
  } catch (const DocumentError& e) {
    EXPECT_NE(std::string(e.what()).find("foreign.docx"), std::string::npos);
  }
  EXPECT_EQ(fs::file_size(foreign), before);
}

// Bad arguments are refused with an error instead of producing a broken document.
TEST_F(DocumentTest, BadArgumentsAreRefused) {
  const auto png = MakePng(10, 20, 300);
  const PngSize size = ReadPngSize(png);
  EXPECT_EQ(size.width, 10u);
  EXPECT_EQ(size.height, 20u);
  EXPECT_NEAR(size.dots_per_inch, 300.0, 0.02);
  EXPECT_EQ(ReadPngSize(MakePng(3, 4)).dots_per_inch, 0.0);
  auto truncated = png, not_png = png, zero_width = png;
  truncated.resize(20);
  not_png[1] = 'J';
  std::fill(zero_width.begin() + 16, zero_width.begin() + 20, 0);
  for (const auto& bad : {truncated, not_png, zero_width})
    EXPECT_THROW(ReadPngSize(bad), DocumentError);

  Document doc;
  EXPECT_THROW(doc.insertPicture(not_png), DocumentError);
  EXPECT_THROW(doc.insertPicture(png, -1.0), DocumentError);
  EXPECT_THROW(doc.insertPicture(png, std::nan("")), DocumentError);
  EXPECT_THROW(doc.setFontSize(0.5), DocumentError);
  EXPECT_THROW(doc.setFont(""), DocumentError);
  EXPECT_THROW(doc.addTable(0, 3), DocumentError);
  EXPECT_THROW(doc.setCellText(1, 1, 1, "no table yet"), DocumentError);
  EXPECT_THROW(doc.moveDown(1, 3), DocumentError);

  const int t = doc.addTable(3, 3);
  EXPECT_THROW(doc.setCellText(t, 4, 1, "x"), DocumentError);
  EXPECT_THROW(doc.setCellText(t, 1, 0, "x"), DocumentError);
  EXPECT_THROW(doc.setCellText(t + 1, 1, 1, "x"), DocumentError);
  doc.mergeCells(t, 1, 1, 2, 2);
  EXPECT_THROW(doc.setCellText(t, 2, 2, "covered"), DocumentError);
  EXPECT_THROW(doc.setCellText(t, 1, 2, "covered"), DocumentError);
  EXPECT_NO_THROW(doc.setCellText(t, 1, 1, "anchor"));
  EXPECT_NO_THROW(doc.setCellText(t, 1, 3, "free"));
  EXPECT_THROW(doc.mergeCells(t, 2, 2, 3, 3), DocumentError);  // overlaps the first merge
  EXPECT_THROW(doc.mergeCells(t, 3, 3, 3, 2), DocumentError);  // reversed
  EXPECT_NO_THROW(doc.mergeCells(t, 3, 1, 3, 3));
}

}  // namespace
}  // namespace tarmac
