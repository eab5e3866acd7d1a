#pragma once
// The report document writer. The batch report, the simulation batch document and the chart
// document are built with the operations a person would use in a word processor: type text into
// centred or left paragraphs, choose the font, paste a plot picture, add a table and fill its
// cells, put page numbers in the footer, save. The writer produces an Office Open XML
// word-processing document (.docx layout, readable by Word and LibreOffice).
//
// The insertion point is always at the end of the document: every operation appends. Text takes
// the font, size and weight chosen last; a new paragraph keeps the alignment of the one before,
// as in a word processor.
//
// Tables and cells are numbered from 1, in the grid's own rows and columns: merging cells never
// renumbers the columns of a row. A cell covered by a merge cannot be written.
#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>

namespace tarmac {

// Any failure of the writer: a bad picture, a cell outside its table, a file that cannot be
// written or is not a document this writer made. The message names what failed and why.
class DocumentError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// What the header of a PNG picture says about its size.
struct PngSize {
  std::uint32_t width = 0;   // pixels
  std::uint32_t height = 0;  // pixels
  double dots_per_inch = 0;  // from the physical-size chunk when it gives one in metres, else 0
};
// Reads the size of a PNG picture from its header. Throws DocumentError when the bytes are not a
// PNG picture or the size is zero.
PngSize ReadPngSize(std::span<const std::uint8_t> png);

enum class ParagraphAlignment { Left = 0, Center = 1 };  // the codes the callers pass: left 0, centred 1
enum class BorderSide { Top, Left, Bottom, Right };
// The paper of every page: Letter (8.5 x 11 in, one-inch margins) for reports in US units, A4
// (210 x 297 mm, 25-mm margins) for metric ones.
enum class PaperSize { Letter, A4 };

class Document {
 public:
  // "Filenew" / adding a new document: an empty document with one empty left-aligned paragraph,
  // US letter pages with one-inch margins, Times New Roman 12 pt by default.
  Document();
  ~Document();
  Document(Document&&) noexcept;
  Document& operator=(Document&&) noexcept;
  Document(const Document&) = delete;
  Document& operator=(const Document&) = delete;

  // Opening an existing document by its path (the chart document): only documents written by
  // this writer can be reopened. Their content is kept as it is and new content is appended
  // after it, starting a new paragraph. Tables already in the file count in tableCount() but
  // cannot be edited. Throws DocumentError when the file is missing, unreadable or not ours.
  static Document open(const std::filesystem::path& path);

  // --- Paragraph and character formatting (the selection) ---
  // "CenterPara" / alignment code 1.
  void centerPara();
  // The current paragraph's alignment (code 1 centred, 0 left); later paragraphs keep it.
  void setAlignment(ParagraphAlignment alignment);
  // "Font": the font of the text typed from now on (of the whole document after selectAll()).
  void setFont(std::string_view name);
  // "FontSize": size in points, 1 to 1638, kept to the nearest half point.
  void setFontSize(double points);
  void setBold(bool bold);
  // "EditSelectAll": the next setFont / setFontSize / setBold applies to everything already in
  // the document as well as to what follows. Any insertion ends the selection.
  void selectAll();

  // --- Content ---
  // "Insert" / typing a text. A tab becomes a tab stop, a line end ("\n", "\r\n" or "\r") a line
  // break. Bytes that are not UTF-8 are taken as Latin-1 characters (old file names).
  void insertText(std::string_view text);
  // "InsertPara" / a new paragraph.
  void insertPara();
  // A page break at the insertion point.
  void insertPageBreak();
  // "InsertSectionBreak": a section break; the next section starts on a new page.
  void insertSectionBreak();
  // "EditPaste" of a plot picture given as PNG bytes, inline at the insertion point. Its height
  // follows from the width and the picture's own proportions. width_inches = 0 keeps the
  // picture's natural size (its stated resolution, else 96 dots per inch) limited to the text
  // width. outside_border = true is the "CharLeft 1,1; BorderOutside 1; CharRight 1,1" sequence:
  // a thin black frame round the picture. Throws DocumentError for bytes that are not a PNG or
  // a negative or non-finite width.
  void insertPicture(std::span<const std::uint8_t> png, double width_inches = 0.0,
                     bool outside_border = false);

  // --- Tables ---
  // Adding a table at the end of the document's content: rows x cols empty cells with thin grid
  // lines, spread over the text width. An empty current paragraph becomes the table; typing
  // continues in a new paragraph after it. Returns the table's number (1-based). The first
  // `heading_rows` rows are repeated at the top of every page the table runs onto; no row is
  // ever split across two pages.
  int addTable(int rows, int cols, int heading_rows = 1);
  // Putting a text into cell (row, col) of table `table`, replacing what it held. The cell takes
  // the current font and alignment.
  void setCellText(int table, int row, int col, std::string_view text);
  // Merging the rectangle of cells from (row, col) to (last_row, last_col) into one cell: across
  // columns and/or down rows. The texts of the merged cells are kept, one paragraph each, in the
  // top-left cell. Cells may belong to one merge only.
  void mergeCells(int table, int row, int col, int last_row, int last_col);
  // Setting one border of a cell: a 1.5 pt line, heavier than the grid lines.
  void setCellBorder(int table, int row, int col, BorderSide side);
  // The same border on every cell of a row ("the row gets a border").
  void setRowBorder(int table, int row, BorderSide side);
  // The number of tables in the document, those of a reopened document included.
  int tableCount() const;

  // "Moving the insertion point down" past content already placed (unit codes 4 and 5): the
  // insertion point of this writer is always at the end of the document, so this only checks the
  // arguments. Kept so that callers can follow the chart report step by step.
  void moveDown(int count, int unit);

  // The paper of the document's pages; set it before pictures and tables are added, as they are
  // fitted to its text width. A reopened document keeps the paper it was saved with.
  void setPaperSize(PaperSize paper);
  PaperSize paperSize() const;
  // The current paragraph stays on the same page as the next one: a picture with its caption, a
  // table's title with the table.
  void keepWithNext();

  // Page numbers centred in the footer of the document's first section (a PAGE field); later
  // sections show the same footer.
  void addPageNumbers();

  // "FileSaveAs": writes the document to `path`, atomically (a temporary file in the same folder,
  // then renamed over the target). The folder must exist. Throws DocumentError with the path and
  // the reason when the file cannot be written; an existing file is then left as it was.
  void save(const std::filesystem::path& path) const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace tarmac
