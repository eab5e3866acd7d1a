#include "workflow/summary.h"

#include <unistd.h>
#include <xlsxwriter.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <utility>

#include "common/number_format.h"
#include "workflow/atomic_file.h"

namespace tarmac {
namespace {

namespace fs = std::filesystem;

struct IndexColumn {
  const char* name;
  bool elevation;  // in / mm; else a roughness (in/mi, m/km) or, for the bump, a ratio
  bool ratio;
};
// In the main window's option order, as SummaryRow holds them.
constexpr IndexColumn kIndexColumns[5] = {{"Straightedge", true, false},
                                          {"Boeing Bump", false, true},
                                          {"IRI", false, false},
                                          {"CA Profilograph", false, false},
                                          {"Bandpass", true, false}};

std::string UnitOf(const IndexColumn& c, const Units& u) {
  if (c.ratio) return "";
  if (c.elevation) return u.Metric ? " (mm)" : " (in)";
  return u.Metric ? " (m/km)" : " (in/mi)";
}

SummaryCell Text(std::string t) { return SummaryCell{std::move(t), std::nullopt}; }
SummaryCell Number(double v) { return SummaryCell{"", v}; }

// An aircraft at a speed, as its columns are named: "B-747 20 kt".
std::string RunName(const SummarySimulation& s) {
  return s.aircraft + " " + FormatNumber(s.knots, "0") + " kt";
}

}  // namespace

std::vector<std::vector<SummaryCell>> SummaryCells(const BatchSummaryTable& table) {
  const Units& u = table.units;
  const std::string len = " (" + u.LengthLabel + ")";
  // The runs in the order they first appear: every profile of a run has the same ones, but a
  // run that failed on the first profile must still get its columns.
  std::vector<std::pair<std::string, double>> runs;
  for (const SummaryRow& r : table.rows)
    for (const SummarySimulation& s : r.simulations) {
      const std::pair<std::string, double> key{s.aircraft, s.knots};
      if (std::find(runs.begin(), runs.end(), key) == runs.end()) runs.push_back(key);
    }

  // The kinds of index stretch judged, likewise in the order they first appear.
  std::vector<std::string> kinds;
  for (const SummaryRow& r : table.rows)
    for (const SummaryLimit& l : r.limits)
      if (std::find(kinds.begin(), kinds.end(), l.kind) == kinds.end()) kinds.push_back(l.kind);

  std::vector<std::vector<SummaryCell>> cells;
  std::vector<SummaryCell> head{Text("Profile"), Text("Length" + len), Text("Spacing" + len)};
  for (const IndexColumn& c : kIndexColumns) {
    const std::string unit = UnitOf(c, u);
    head.push_back(Text(std::string(c.name) + unit));
    for (const char* stretch : {"First2000", "Center2000", "Last2000"})
      head.push_back(Text(std::string(c.name) + " " + stretch + unit));
  }
  head.push_back(Text("Largest Boeing Bump Index"));
  head.push_back(Text("Largest Boeing Bump Index at" + len));
  for (const auto& [aircraft, knots] : runs) {
    const std::string run = RunName({aircraft, knots});
    for (const char* what : {" cg peak (g)", " cg RMS (g)", " pilot peak (g)", " pilot RMS (g)"})
      head.push_back(Text(run + what));
    head.push_back(Text(run + " largest dynamic load coefficient"));
  }
  for (const std::string& kind : kinds) {
    head.push_back(Text(kind + " stretches beyond limit"));
    head.push_back(Text(kind + " pass"));
  }
  for (const auto& [aircraft, knots] : runs) {
    const std::string run = RunName({aircraft, knots});
    head.push_back(Text(run + " stretches beyond limits"));
    head.push_back(Text(run + " pass"));
  }
  cells.push_back(std::move(head));

  for (const SummaryRow& r : table.rows) {
    std::vector<SummaryCell> row{Text(r.file), Number(r.length), Number(r.spacing)};
    for (std::size_t k = 0; k < 5; ++k) {
      if (!r.value[k]) {
        row.insert(row.end(), 4, Text(""));
        continue;
      }
      row.push_back(Number(*r.value[k]));
      for (double v : r.stretch[k]) row.push_back(Number(v));
    }
    row.push_back(Number(r.bump_max));
    row.push_back(Number(r.bump_at));
    for (const auto& key : runs) {
      const auto s = std::find_if(r.simulations.begin(), r.simulations.end(), [&](const auto& x) {
        return x.aircraft == key.first && x.knots == key.second;
      });
      if (s == r.simulations.end()) {
        row.insert(row.end(), 5, Text(""));
        continue;
      }
      for (double v : {s->cg_peak_g, s->cg_rms_g, s->pilot_peak_g, s->pilot_rms_g,
                       s->largest_load_coefficient})
        row.push_back(Number(v));
    }
    // Pass or fail in words, so that a filter on the column reads plainly.
    const auto judged = [&row](int stretches) {
      row.push_back(Number(stretches));
      row.push_back(Text(stretches == 0 ? "pass" : "fail"));
    };
    for (const std::string& kind : kinds) {
      const auto l = std::find_if(r.limits.begin(), r.limits.end(),
                                  [&](const SummaryLimit& x) { return x.kind == kind; });
      if (l == r.limits.end())
        row.insert(row.end(), 2, Text(""));
      else
        judged(l->stretches);
    }
    for (const auto& key : runs) {
      const auto s = std::find_if(r.simulations.begin(), r.simulations.end(), [&](const auto& x) {
        return x.aircraft == key.first && x.knots == key.second;
      });
      if (s == r.simulations.end())
        row.insert(row.end(), 2, Text(""));
      else
        judged(s->stretches_beyond_limits);
    }
    cells.push_back(std::move(row));
  }
  if (!table.failed.empty()) {
    std::string list;
    for (const std::string& f : table.failed) list += (list.empty() ? "" : "; ") + f;
    cells.push_back({Text("Failed"), Text(list)});
  }
  return cells;
}

std::string SummaryCsv(const std::vector<std::vector<SummaryCell>>& cells) {
  std::string out;
  for (const auto& row : cells) {
    for (std::size_t c = 0; c < row.size(); ++c) {
      if (c > 0) out += ',';
      if (row[c].number) {
        char buf[40];
        std::snprintf(buf, sizeof buf, "%.10g", *row[c].number);
        out += buf;
        continue;
      }
      const std::string& t = row[c].text;
      if (t.find_first_of(",\"\n") == std::string::npos) {
        out += t;
      } else {
        out += '"';
        for (char ch : t) out += ch == '"' ? std::string("\"\"") : std::string(1, ch);
        out += '"';
      }
    }
    out += "\r\n";
  }
  return out;
}

namespace {

// The spreadsheet's bytes. The library writes only to a file, so it writes a private temporary
// file that is read back and removed; the target is then replaced like every other output.
std::string XlsxBytes(const std::vector<std::vector<SummaryCell>>& cells) {
  static std::atomic<int> serial{0};
  const fs::path tmp = fs::temp_directory_path() /
                       ("tarmac-summary-" + std::to_string(::getpid()) + "-" +
                        std::to_string(serial++) + ".xlsx");
  lxw_workbook* book = workbook_new(tmp.c_str());
  if (!book) throw std::runtime_error("the spreadsheet cannot be started in " + tmp.parent_path().string());
  lxw_worksheet* sheet = workbook_add_worksheet(book, "Summary");
  lxw_format* bold = workbook_add_format(book);
  format_set_bold(bold);
  format_set_text_wrap(bold);
  for (std::size_t r = 0; r < cells.size(); ++r)
    for (std::size_t c = 0; c < cells[r].size(); ++c) {
      const auto row = static_cast<lxw_row_t>(r);
      const auto col = static_cast<lxw_col_t>(c);
      const SummaryCell& cell = cells[r][c];
      if (cell.number)
        worksheet_write_number(sheet, row, col, *cell.number, nullptr);
      else if (!cell.text.empty())
        worksheet_write_string(sheet, row, col, cell.text.c_str(), r == 0 ? bold : nullptr);
    }
  // The heading row stays in view while the profiles scroll.
  worksheet_freeze_panes(sheet, 1, 1);
  if (!cells.empty() && cells.front().size() > 1)
    worksheet_set_column(sheet, 1, static_cast<lxw_col_t>(cells.front().size() - 1), 14, nullptr);
  worksheet_set_column(sheet, 0, 0, 18, nullptr);
  const lxw_error err = workbook_close(book);
  std::string bytes;
  if (err == LXW_NO_ERROR) {
    std::ifstream in(tmp, std::ios::binary);
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  std::error_code ec;
  fs::remove(tmp, ec);
  if (err != LXW_NO_ERROR) throw std::runtime_error(lxw_strerror(err));
  if (bytes.empty()) throw std::runtime_error("the spreadsheet could not be read back");
  return bytes;
}

}  // namespace

bool WriteBatchSummary(const std::string& folder, const BatchSummaryTable& table) {
  const auto cells = SummaryCells(table);
  const fs::path dir(folder);
  std::error_code ec;
  fs::create_directories(dir, ec);
  bool ok = true;
  const fs::path xlsx = dir / (std::string(kSummaryBaseName) + ".xlsx");
  try {
    WriteFileAtomically(xlsx, XlsxBytes(cells));
  } catch (const std::exception& e) {
    // The atomic writer notes its own failures; a spreadsheet that could not be made is noted
    // here.
    NoteOutputFailure(xlsx.string(), "Cannot write the summary " + xlsx.string() + ": " + e.what());
    ok = false;
  }
  const fs::path csv = dir / (std::string(kSummaryBaseName) + ".csv");
  try {
    WriteFileAtomically(csv, SummaryCsv(cells));
  } catch (const std::exception&) {
    ok = false;  // noted by the writer
  }
  return ok;
}

}  // namespace tarmac
