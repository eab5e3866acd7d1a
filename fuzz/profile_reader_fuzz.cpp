// Feeds arbitrary bytes to the profile readers. The first byte chooses the reader; the rest is
// the file. A reader may refuse its input only with ProfileFileError; any other exception, a
// crash, a sanitizer report or a result that breaks the reader's promises is a finding.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <typeinfo>
#include <span>
#include <string_view>
#include <vector>

#include "workflow/erd.h"
#include "workflow/profile_io.h"

namespace {

using tarmac::ProfileFileError;

[[noreturn]] void Finding(const char* what) {
  std::fprintf(stderr, "finding: %s\n", what);
  std::abort();
}

void Check(bool ok, const char* what) {
  if (!ok) Finding(what);
}

// A reader's result goes on through the end cut and the slope removal, as a read command does.
void Prepare(std::span<const float> elevations, double spacing, std::uint8_t cut_byte) {
  Check(!elevations.empty(), "a reader returned no elevations without refusing");
  Check(std::isfinite(spacing) && spacing > 0, "a reader returned a spacing that is not positive");
  const double cutting_length = cut_byte * 2.5;  // 0 to 637.5 ft, the range a person uses
  const std::int32_t cut = tarmac::EndCutSamples(cutting_length, spacing);
  Check(cut >= 0, "a negative end cut");
  const std::vector<float> z = tarmac::PrepareAnalysisProfile(elevations, cut);
  Check(z.size() >= 2, "an analysis profile of fewer than 2 samples");
  Check(elevations.size() >= 2 * static_cast<std::size_t>(cut) &&
            z.size() == elevations.size() - 2 * static_cast<std::size_t>(cut),
        "the end cut removed the wrong number of samples");
}

void Run(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return;
  const std::uint8_t selector = data[0];
  const std::uint8_t cut_byte = data[1];
  const std::span<const std::byte> file(reinterpret_cast<const std::byte*>(data + 2), size - 2);
  const std::string_view text(reinterpret_cast<const char*>(data + 2), size - 2);
  const double spacing_in_force = 0.25;

  switch (selector % 4) {
    case 0: {
      const auto pro = tarmac::ParseProFile(file, spacing_in_force);
      Check(pro.ignored_bytes < 4, "more than three bytes ignored at the end of a .pro");
      for (float z : pro.elevations) Check(std::isfinite(z), "a non-finite elevation was accepted");
      Prepare(pro.elevations, pro.spacing, cut_byte);
      break;
    }
    case 1: {
      const auto dat = tarmac::ParseDatFile(text, spacing_in_force);
      if (dat.declared_count && *dat.declared_count >= 0) {
        Check(dat.elevations.size() <= static_cast<std::size_t>(*dat.declared_count),
              "more records read than the file declares");
      }
      Prepare(dat.elevations, dat.spacing, cut_byte);
      break;
    }
    case 2: {
      const auto speeds = tarmac::ParseSpdFile(file);
      Check(speeds.size() == file.size() / 2, "a .spd gave the wrong number of speeds");
      break;
    }
    case 3: {
      // An ERD text; for binary data, the bytes after the first NUL are the ".bin" file.
      const auto nul = text.find('\0');
      const std::string_view header = text.substr(0, nul);
      std::vector<std::byte> bin;
      if (nul != std::string_view::npos) {
        bin.assign(file.begin() + static_cast<std::ptrdiff_t>(nul) + 1, file.end());
      }
      const int channel = 1 + cut_byte % 3;
      const auto erd = tarmac::ReadErd(header, channel, [&] { return bin; });
      for (float v : erd.values) Check(std::isfinite(v), "a non-finite ERD value was accepted");
      if (erd.kind == tarmac::ErdChannelKind::Elevation && !erd.values.empty()) {
        Prepare(erd.values, erd.spacing_ft, cut_byte);
      }
      break;
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  try {
    Run(data, size);
  } catch (const ProfileFileError&) {
    // A refusal with a message for the person: the expected way to meet a bad file.
  } catch (const std::exception& e) {
    std::fprintf(stderr, "finding: %s escaped a profile reader: %s\n", typeid(e).name(), e.what());
    std::abort();
  } catch (...) {
    Finding("an exception of no standard type escaped a profile reader");
  }
  return 0;
}
