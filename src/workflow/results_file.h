#pragma once
// The text result files beside the profile are only ever appended to: each write opens, appends
// and closes, so other programs can read them between steps and they survive an abnormal end.
//
// An append is all or nothing: the block of lines is written in one piece and, when the disk
// refuses part of it, the file is cut back to its old length, so that no torn line is left for
// the next block to follow. Each append holds an advisory lock (flock) on the file, and a
// ResultsTransaction holds the locks of the files it appended to until it ends, so that two runs
// in one folder never interleave their blocks under each other's "Data File Name = " heading.
#include <string>
#include <vector>

namespace tarmac {

// Appends each line followed by a line break, as one block. Returns false when the file cannot be
// opened or written (the failure is noted among the output failures of workflow/atomic_file.h),
// and when `path` is empty (no results file yet; nothing is noted). `why`, when given, receives
// the message of a failure.
bool AppendLines(const std::string& path, const std::vector<std::string>& lines,
                 std::string* why = nullptr);
bool AppendLine(const std::string& path, const std::string& line);

// The appends of one command on one profile, made on this thread while the transaction lives:
// from its first append to a file until the transaction ends, that file stays locked, so that
// another run's blocks go after this command's whole record rather than among it. Rollback cuts
// every file appended to back to its length before the command (and removes the files the
// command created). The destructor rolls back when the run was interrupted (Ctrl-C) before
// Commit, and commits otherwise.
//
// Files are locked in the order they are first appended to: the results file comes first for
// every command that reads a profile, so two transactions never wait for each other's locks.
class ResultsTransaction {
 public:
  ResultsTransaction();
  ~ResultsTransaction();
  ResultsTransaction(const ResultsTransaction&) = delete;
  ResultsTransaction& operator=(const ResultsTransaction&) = delete;

  // Keeps everything appended and releases the locks. Returns false when a file could not be
  // closed (noted as an output failure).
  bool Commit();
  // Removes everything appended and releases the locks.
  void Rollback();

  // One file appended to: the open descriptor that holds its lock, its length before the
  // command, and whether the command created it.
  struct Held {
    std::string path;
    int fd = -1;
    long long length_before = 0;
    bool created = false;
  };

 private:
  friend bool AppendLines(const std::string&, const std::vector<std::string>&, std::string*);
  std::vector<Held> held_;
  ResultsTransaction* outer_;
  bool done_ = false;
};

}  // namespace tarmac
