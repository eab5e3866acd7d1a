#pragma once
// Shared by the workflow and CLI tests.
#include <sys/wait.h>

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "workflow/profile_io.h"
#include "workflow/prompts.h"

namespace tarmac::testing {

class RecordingPrompts final : public Prompts {
 public:
  struct Shown { std::string text, title; };
  void Message(const std::string& text, const std::string& title) override { messages.push_back({text, title}); }
  std::optional<std::string> Input(const std::string&, const std::string&) override { return std::nullopt; }
  void Status(const std::string& text) override { statuses.push_back(text); }
  std::vector<Shown> messages;
  std::vector<std::string> statuses;
};

class TempDir {
 public:
  TempDir() {
    std::random_device rd;
    path_ = std::filesystem::temp_directory_path() /
            ("tarmac-test-" + std::to_string(rd()) + "-" + std::to_string(rd()));
    std::filesystem::create_directories(path_);
  }
  ~TempDir() { std::error_code ec; std::filesystem::remove_all(path_, ec); }
  std::string file(const std::string& name) const { return (path_ / name).string(); }
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

inline std::string ReadAll(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(f), {});
}

inline std::vector<std::string> ReadLines(const std::string& path) {
  std::vector<std::string> lines;
  std::ifstream f(path);
  for (std::string l; std::getline(f, l);) lines.push_back(l);
  return lines;
}

inline void WriteText(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

// The message of the ProfileFileError that `f` throws; empty when it throws none.
inline std::string ErrorOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const ProfileFileError& e) {
    return e.what();
  }
  return "";
}

// Little-endian floats written byte by byte, independently of the encoders under test.
inline std::vector<std::byte> FloatBytes(const std::vector<float>& values) {
  std::vector<std::byte> b;
  for (const float v : values) {
    const auto u = std::bit_cast<std::uint32_t>(v);
    for (int k = 0; k < 4; ++k) b.push_back(static_cast<std::byte>((u >> (8 * k)) & 0xFFu));
  }
  return b;
}

struct RunResult { int rc = -1; std::string out; };

// A shell command's exit code and standard output.
inline RunResult RunShell(const std::string& cmd) {
  RunResult r;
  FILE* p = popen(cmd.c_str(), "r");
  if (!p) return r;
  char buf[4096];
  for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;) r.out.append(buf, n);
  const int status = pclose(p);
  r.rc = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return r;
}

// The built tarmac program run with `args`; `errors` says where its standard error goes.
inline RunResult RunTarmac(const std::string& args, const std::string& errors = "2>/dev/null") {
  return RunShell("QT_QPA_PLATFORM=offscreen " TARMAC_BINARY_DIR "/src/cli/tarmac " + args + " " + errors);
}

}  // namespace tarmac::testing
