// The report document writer, checked by reading its documents back with an independent reader
// (python-docx through read_docx.py) and its archives with libzip.
#include "report/document.h"
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>
#include <zip.h>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <utility>
#include <string>
#include <vector>

namespace tarmac {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using ::testing::ThrowsMessage;
using Bytes = std::vector<std::uint8_t>;
using Fields = std::vector<std::string>;
constexpr double kEmu = 914400.0;  // per inch

void Put32(Bytes& v, std::uint32_t x) {
  for (int s = 24; s >= 0; s -= 8) v.push_back(std::uint8_t(x >> s));
}

// A w x h RGB picture as far as the writer and the reader look into it: signature, IHDR, a pHYs
// resolution when dpi > 0, an empty IDAT, IEND (checksums left zero; neither side checks them).
Bytes MakePng(std::uint32_t w, std::uint32_t h, std::uint32_t dpi = 0) {
  Bytes png{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  const auto chunk = [&](const char* type, std::vector<std::uint32_t> words, std::vector<std::uint8_t> tail) {
    Put32(png, std::uint32_t(words.size() * 4 + tail.size()));
    png.insert(png.end(), type, type + 4);
    for (auto x : words) Put32(png, x);
    png.insert(png.end(), tail.begin(), tail.end());
    Put32(png, 0);
  };
  chunk("IHDR", {w, h}, {8, 2, 0, 0, 0});
  if (dpi > 0) chunk("pHYs", {std::uint32_t(dpi / 0.0254 + 0.5), std::uint32_t(dpi / 0.0254 + 0.5)}, {1});
  chunk("IDAT", {}, {});
  chunk("IEND", {}, {});
  return png;
}

// What the reader found: every line split into its fields.
struct ReadBack {
  std::vector<Fields> lines;
  std::vector<Fields> all(const std::string& kind) const {
    std::vector<Fields> out;
    std::copy_if(lines.begin(), lines.end(), std::back_inserter(out), [&](auto& l) { return l[0] == kind; });
    return out;
  }
  Fields texts() const {
    Fields out;
    for (const auto& l : all("PARA")) out.push_back(l.at(6));
    return out;
  }
  Fields cell(int t, int row, int col) const {  // the cell starting at this grid position, or none
    for (const auto& l : all("CELL"))
      if (l[1] + l[2] + "," + l[3] == std::to_string(t) + std::to_string(row) + "," + std::to_string(col)) return l;
    return {};
  }
  std::string cellText(int t, int row, int col) const { return cell(t, row, col).at(7); }
};

bool HasEntry(const fs::path& path, const char* name) {
  zip_t* za = zip_open(path.c_str(), ZIP_RDONLY | ZIP_CHECKCONS, nullptr);
  const bool found = zip_name_locate(za, name, 0) >= 0;
  return zip_discard(za), found;
}

// Every text of `want` appears among `texts`, in order.
void ExpectInOrder(const Fields& texts, const Fields& want) {
  auto from = texts.begin();
  for (const auto& w : want) {
    from = std::find(from, texts.end(), w);
    ASSERT_NE(from++, texts.end()) << "missing or out of order: " << w;
  }
}

class DocumentTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::remove_all(dir_ = fs::temp_directory_path() / ("tarmac_report_" + std::to_string(::getpid())));
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  // Saves `doc` and reads it back; skips the test when python-docx is missing.
  void SaveAndRead(Document& doc, const std::string& name, ReadBack& rb) {
    doc.save(dir_ / name);
    const char* python = nullptr;
    for (const char* p : {"python3", "/usr/bin/python3"})
      if (!python && std::system((std::string(p) + " -c 'import docx' 2>/dev/null").c_str()) == 0) python = p;
    FILE* pipe = python ? ::popen((std::string(python) + " '" TARMAC_SOURCE_DIR "/tests/report/read_docx.py' '" +
                                   (dir_ / name).string() + "' 2>&1").c_str(), "r") : nullptr;
    Fields f{""};
    for (int c; pipe && (c = std::fgetc(pipe)) != EOF;)  // undoes the reader's escapes
      if (c == '\n') rb.lines.push_back(std::exchange(f, {""}));
      else if (c == '\t') f.emplace_back();
      else if (c != '\\') f.back() += char(c);
      else c = std::fgetc(pipe), f.back() += c == 't' ? '\t' : c == 'n' ? '\n' : char(c);
    if (!pipe) GTEST_SKIP() << "python3 with the docx package is not available";
    EXPECT_EQ(::pclose(pipe), 0);
  }
  std::size_t FolderSize() const { return std::size_t(std::distance(fs::directory_iterator(dir_), {})); }
  fs::path dir_;
};

// The shape of the batch report: a centred bold title, framed plot pictures, lines with inner
// blanks, a page break, an index table with headings holding blanks, values merged down two rows,
// a bordered total row, a heading merged across, a section break and page numbers.
TEST_F(DocumentTest, BatchReportReadsBackAsBuilt) {
  Document doc;
  doc.centerPara();
  doc.setFont("Times New Roman");
  doc.setBold(true);
  doc.insertText("Roughness Measurement and Analysis of RW09.Pro");
  doc.insertPara();
  doc.setBold(false);
  doc.setAlignment(ParagraphAlignment::Left);
  doc.insertPicture(MakePng(64, 24), 6.0, true);
  doc.insertPara();
  doc.insertPicture(MakePng(96, 48, 96));  // 1 x 0.5 inch at its stated resolution
  doc.insertText("Profile Max =   1.25 inches, Min =  -0.75 inches");
  doc.insertPara();
  // Texts from outside survive exactly: markup, an old Latin-1 name, control codes, tabs, line ends.
  doc.insertText("a <b> & \"c\" 'd'\x01 caf\xE9 \xC2\xB5m\tcol2\r\nnext");  // é in Latin-1, µ in UTF-8
  doc.insertPara();
  doc.insertPageBreak();
  doc.insertPara();
  const int t = doc.addTable(7, 7);
  ASSERT_EQ(t, 1);
  const Fields headings{"Section", "Length        (ft)", "Straightedge  (inch)", "Boeing",
                        "IRI           (in/mile)", "BandPass      (inch)", "CA PI         (in/mile)"};
  for (int c = 1; c <= 7; ++c) doc.setCellText(t, 1, c, headings[std::size_t(c - 1)]);
  doc.setCellText(t, 3, 1, " 2");
  doc.setCellText(t, 6, 1, "x < y & \xFF");
  for (int r = 2; r <= 4; r += 2)
    for (int c = 3; c <= 6; ++c) {
      doc.setCellText(t, r, c, std::to_string(c) + ".0" + std::to_string(r));
      doc.mergeCells(t, r, c, r + 1, c);
    }
  doc.setRowBorder(t, 6, BorderSide::Top);
  doc.setCellText(t, 7, 2, "merged across");
  doc.mergeCells(t, 7, 2, 7, 7);
  doc.moveDown(1, 5);  // past the table
  doc.insertPara();
  doc.insertSectionBreak();
  doc.insertText("RW09 - page 2");
  doc.addPageNumbers();

  ReadBack rb;
  SaveAndRead(doc, "RW09.docx", rb);
  if (IsSkipped()) return;
  for (const char* name : {"[Content_Types].xml", "_rels/.rels", "word/_rels/document.xml.rels",
                           "word/footer1.xml", "word/media/image2.png", "docProps/core.xml"})
    EXPECT_TRUE(HasEntry(dir_ / "RW09.docx", name)) << name;
  const auto paras = rb.all("PARA");
  EXPECT_EQ(paras.at(0)[2] + paras[0][3] + paras[0][4] + " " + paras.at(1)[2] + paras[1][3],
            "center1Times New Roman left0");
  ExpectInOrder(rb.texts(), {"Roughness Measurement and Analysis of RW09.Pro",
                             "Profile Max =   1.25 inches, Min =  -0.75 inches",
                             "a <b> & \"c\" 'd' caf\xC3\xA9 \xC2\xB5m\tcol2\nnext", "RW09 - page 2"});
  for (int c = 1; c <= 7; ++c) EXPECT_EQ(rb.cellText(1, 1, c), headings[std::size_t(c - 1)]);
  EXPECT_EQ(rb.cellText(1, 3, 1) + "|" + rb.cellText(1, 6, 1), " 2|x < y & \xC3\xBF");
  // Merged down: the top cell restarts and holds the text, the one below continues, empty.
  for (int r = 2; r <= 4; r += 2)
    for (int c = 3; c <= 6; ++c)
      EXPECT_EQ(rb.cell(1, r, c).at(5) + "/" + rb.cell(1, r + 1, c).at(5) + "/" + rb.cellText(1, r, c) + "/" +
                    rb.cellText(1, r + 1, c), "restart/continue/" + std::to_string(c) + ".0" + std::to_string(r) + "/");
  for (int c = 1; c <= 7; ++c) EXPECT_EQ(rb.cell(1, 6, c).at(6) + rb.cell(1, 5, c).at(6), "T-") << c;
  EXPECT_EQ(rb.cell(1, 7, 2).at(4) + rb.cellText(1, 7, 2), "6merged across");
  EXPECT_EQ(rb.all("CELL").size(), std::size_t(7 * 7 - 5));  // nothing starts inside the merge
  // Pictures: the first framed, 6 inches wide in the picture's proportions; the second at the size
  // its header states, in whole pixels per metre (96 dpi comes back as 3780 per metre).
  const auto pics = rb.all("PICTURE");
  ASSERT_EQ(pics.size(), 2u);
  EXPECT_NEAR(std::stod(pics[0][2]), 6.0 * kEmu, 0.5);
  EXPECT_NEAR(std::stod(pics[0][3]), 6.0 * kEmu * 24.0 / 64.0, 1.0);
  EXPECT_EQ(pics[0][4] + " " + pics[0][6] + " " + pics[1][4], "1 64x24 0");
  const double inches = 96.0 / (std::round(96.0 / 0.0254) * 0.0254);
  EXPECT_NEAR(std::stod(pics[1][2]), inches * kEmu, 1.0);
  EXPECT_NEAR(std::stod(pics[1][3]), inches / 2 * kEmu, 1.0);
  EXPECT_EQ(rb.all("PAGEBREAKS").at(0).at(1), "1");
  // The PAGE field in the first section's footer, which the second (on a new page) links to.
  const auto sections = rb.all("SECTION");
  EXPECT_EQ(sections.at(0)[3] + " " + sections.at(1)[2] + " " + sections[1][3], "PAGE NEW_PAGE -");
}

// The chart document: each chart is appended to the document the earlier charts went into.
TEST_F(DocumentTest, ReopenedDocumentKeepsItsContentAndAppends) {
  const fs::path path = dir_ / "RW09Chart.docx";
  Document first;
  first.insertPicture(MakePng(30, 20), 5.0);
  first.insertText("Straightedge chart");
  first.insertPara();
  first.setCellText(first.addTable(2, 2), 1, 1, "kept  table");
  first.insertSectionBreak();
  first.insertText("after the break");
  first.insertPara();
  first.save(path);
  Document doc = Document::open(path);
  EXPECT_THROW(doc.setCellText(1, 1, 1, "x"), DocumentError);  // a kept table stays as it is
  doc.moveDown(1, 4);
  doc.insertPicture(MakePng(40, 10), 5.0);
  doc.insertText("Boeing Bump chart");
  EXPECT_EQ(doc.addTable(1, 3), 2);
  doc.setCellText(2, 1, 3, "new");
  doc.addPageNumbers();  // goes to the first section, which lies in the kept part
  ReadBack rb;
  SaveAndRead(doc, "RW09Chart.docx", rb);
  if (IsSkipped()) return;

  // The saved insertion point (the empty paragraph after "after the break") was reused.
  const Fields texts = rb.texts();
  EXPECT_NE(std::ranges::search(texts, Fields{"after the break", "Boeing Bump chart"}).begin(), texts.end());
  const auto pics = rb.all("PICTURE");  // each picture still shows its own image
  EXPECT_EQ(pics.at(0)[6] + " " + pics.at(1)[6], "30x20 40x10");
  EXPECT_EQ(rb.cellText(1, 1, 1) + "|" + rb.cellText(2, 1, 3), "kept  table|new");
  EXPECT_EQ(rb.all("SECTION").at(0)[3], "PAGE");
}

// Saving: a failure names the path and leaves nothing behind; an existing document is replaced
// whole. Reopening refuses what this writer did not make, untouched. Bad arguments are refused.
TEST_F(DocumentTest, SaveIsAtomicReopenRefusesForeignFilesAndBadArgumentsAreRefused) {
  Document doc;
  doc.insertText("one");
  const fs::path missing = dir_ / "no such folder" / "r.docx";
  EXPECT_THAT([&] { doc.save(missing); }, ThrowsMessage<DocumentError>(HasSubstr(missing.string())));
  fs::create_directory(dir_ / "taken.docx");  // a folder where the file should go
  EXPECT_THROW(doc.save(dir_ / "taken.docx"), DocumentError);
  EXPECT_EQ(FolderSize(), 1u);  // no temporary file left
  doc.save(dir_ / "r.docx");
  Document bigger;
  bigger.insertPicture(MakePng(12, 8), 2.0);
  bigger.save(dir_ / "r.docx");  // replaced whole
  EXPECT_TRUE(HasEntry(dir_ / "r.docx", "word/media/image1.png"));
  EXPECT_EQ(FolderSize(), 2u);

  std::ofstream(dir_ / "garbage.docx") << "not a zip at all";
  zip_t* za = zip_open((dir_ / "foreign.docx").c_str(), ZIP_CREATE | ZIP_TRUNCATE, nullptr);
  static const char kBody[] = "<w:document><w:body><w:p/><w:sectPr></w:sectPr></w:body></w:document>";
  zip_file_add(za, "word/document.xml", zip_source_buffer(za, kBody, sizeof kBody - 1, 0), 0);
  ASSERT_EQ(zip_close(za), 0);
  const auto before = fs::file_size(dir_ / "foreign.docx");
  for (const char* name : {"absent.docx", "garbage.docx", "foreign.docx"})
    EXPECT_THROW(Document::open(dir_ / name), DocumentError) << name;
  EXPECT_EQ(fs::file_size(dir_ / "foreign.docx"), before);

  const auto png = MakePng(10, 20, 300);
  EXPECT_THROW(ReadPngSize(Bytes(png.begin(), png.begin() + 20)), DocumentError);
  EXPECT_THROW(ReadPngSize(MakePng(0, 20)), DocumentError);
  EXPECT_THROW(doc.insertPicture(png, std::nan("")), DocumentError);
  const int t = doc.addTable(3, 3);
  EXPECT_THROW(doc.setCellText(t, 4, 1, "x"), DocumentError);
  doc.mergeCells(t, 1, 1, 2, 2);
  EXPECT_THROW(doc.setCellText(t, 1, 2, "covered"), DocumentError);
  EXPECT_THROW(doc.mergeCells(t, 2, 2, 3, 3), DocumentError);  // overlaps the first merge
}

}  // namespace
}  // namespace tarmac

namespace tarmac {
namespace {

std::string EntryText(const fs::path& path, const char* name) {
  zip_t* za = zip_open(path.c_str(), ZIP_RDONLY, nullptr);
  if (!za) return {};
  zip_stat_t st;
  zip_stat_init(&st);
  std::string text;
  if (zip_stat(za, name, 0, &st) == 0) {
    zip_file_t* f = zip_fopen(za, name, 0);
    text.resize(st.size);
    if (f && zip_fread(f, text.data(), st.size) != zip_int64_t(st.size)) text.clear();
    if (f) zip_fclose(f);
  }
  zip_discard(za);
  return text;
}

int Count(const std::string& hay, const std::string& needle) {
  int n = 0;
  for (auto at = hay.find(needle); at != std::string::npos; at = hay.find(needle, at + 1)) ++n;
  return n;
}

// The printed page: A4 with 25-mm margins for metric reports, Letter with one-inch margins
// otherwise; pictures fitted to that page's text width; a table's heading row repeated on every
// page and no row split; a caption kept with its picture. A reopened A4 document stays A4.
TEST(DocumentPage, PaperTextWidthHeadingRowsAndKeptCaptions) {
  const fs::path dir = fs::temp_directory_path() / ("tarmac_page_" + std::to_string(::getpid()));
  fs::create_directories(dir);
  const auto picture_width_in = [](const std::string& xml) {
    const auto at = xml.find("<wp:extent cx=\"");
    return std::stod(xml.substr(at + 15)) / kEmu;
  };
  for (const PaperSize paper : {PaperSize::Letter, PaperSize::A4}) {
    Document doc;
    doc.setPaperSize(paper);
    EXPECT_EQ(doc.paperSize(), paper);
    doc.insertPicture(MakePng(3000, 1000), 0.0);  // 31 in at 96 dpi: limited to the text width
    doc.keepWithNext();
    doc.insertPara();
    doc.insertText("Figure 1 caption");
    doc.insertPara();
    const int t = doc.addTable(40, 3, 2);
    doc.setCellText(t, 1, 1, "Section");
    const fs::path path = dir / "page.docx";
    doc.save(path);
    const std::string xml = EntryText(path, "word/document.xml");
    ASSERT_FALSE(xml.empty());
    if (paper == PaperSize::A4) {
      EXPECT_THAT(xml, HasSubstr("<w:pgSz w:w=\"11906\" w:h=\"16838\"/>"));
      EXPECT_THAT(xml, HasSubstr("w:top=\"1418\" w:right=\"1418\""));
      EXPECT_NEAR(picture_width_in(xml), (11906 - 2 * 1418) / 1440.0, 1e-4);
      // The columns share the A4 text width.
      EXPECT_THAT(xml, HasSubstr("<w:gridCol w:w=\"3023\"/>"));
    } else {
      EXPECT_THAT(xml, HasSubstr("<w:pgSz w:w=\"12240\" w:h=\"15840\"/>"));
      EXPECT_NEAR(picture_width_in(xml), 6.5, 1e-4);
      EXPECT_THAT(xml, HasSubstr("<w:gridCol w:w=\"3120\"/>"));
    }
    EXPECT_EQ(Count(xml, "<w:cantSplit/>"), 40);
    EXPECT_EQ(Count(xml, "<w:tblHeader/>"), 2);  // the two heading rows only
    // Only the picture's paragraph keeps with the next one, and it precedes the caption.
    EXPECT_EQ(Count(xml, "<w:keepNext/>"), 1);
    EXPECT_LT(xml.find("<w:keepNext/>"), xml.find("Figure 1 caption"));
    EXPECT_LT(xml.find("<w:drawing>"), xml.find("Figure 1 caption"));

    Document again = Document::open(path);
    EXPECT_EQ(again.paperSize(), paper);
    again.insertPicture(MakePng(3000, 1000), 0.0);
    again.save(path);
    const std::string reopened = EntryText(path, "word/document.xml");
    EXPECT_EQ(Count(reopened, paper == PaperSize::A4 ? "w:w=\"11906\"" : "w:w=\"12240\""), 1);
    EXPECT_NEAR(picture_width_in(reopened.substr(reopened.rfind("<wp:extent"))),
                picture_width_in(xml), 1e-4);
  }
  fs::remove_all(dir);
}

}  // namespace
}  // namespace tarmac
