// Runs a built program the way a user would: in a folder of its own, with an exact
// argument list and no shell, capturing what it writes and how it ended (POSIX only).
#pragma once

#include <sys/resource.h>
#include <sys/types.h>

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace program_runner {

// A fresh, empty folder under $TMPDIR (or /tmp when that is unset or empty). The folder
// and everything in it, whatever its kind or permissions, are removed with the object.
class temporary_folder {
 public:
  temporary_folder();
  ~temporary_folder();
  temporary_folder(const temporary_folder&) = delete;
  temporary_folder& operator=(const temporary_folder&) = delete;

  const std::string& path() const { return path_; }
  // The full path of `name`, a path relative to the folder.
  std::string path_of(const std::string& name) const;

  // Each of these throws std::runtime_error when the file system refuses.
  void write_file(const std::string& name, const std::string& bytes) const;
  std::string read_file(const std::string& name) const;
  void make_directory(const std::string& name) const;
  // Adds `bytes` at the end of the file `name`, creating it if need be, so a large file
  // can be written a piece at a time.
  void append_file(const std::string& name, const std::string& bytes) const;
  void make_fifo(const std::string& name) const;
  // A Unix-domain socket bound to `name`; nothing listens on it once this returns.
  void make_unix_socket(const std::string& name) const;
  void make_symbolic_link(const std::string& name, const std::string& target) const;
  void set_mode(const std::string& name, mode_t mode) const;

 private:
  std::string path_;
};

// Removes `path` and, for a directory, all it holds; symbolic links are removed, never
// followed. Directories are made accessible first, so unreadable ones go too. Returns
// false if something could not be removed.
bool remove_recursively(const std::string& path);

struct run_options {
  // argv[0] as the program receives it; by default the path that is executed. Under a
  // launcher the program's own argv[0] is the launcher's business, and this is ignored.
  std::optional<std::string> program_name;
  // Standard output goes to this file (created or truncated; a relative path is taken
  // from the working directory) instead of being captured.
  std::optional<std::string> stdout_path;
  // Standard output is closed in the program, as the shell's ">&-" does.
  bool close_stdout = false;
  // Soft limits set in the child before it executes the program (RLIMIT_NOFILE and
  // RLIMIT_AS, the latter in bytes).
  std::optional<rlim_t> open_files_limit;
  std::optional<rlim_t> address_space_limit;
  // Standard output is captured through a pipe whose reading end is closed as soon as
  // this many bytes have been read (at once for 0), as "| head -c N" does; later writes
  // of the program then meet a pipe without a reader.
  std::optional<std::size_t> stdout_read_limit;
  // A program still running after this long is killed (SIGKILL) and the result says
  // timed_out; without it the runner waits for as long as the program runs.
  std::optional<std::chrono::milliseconds> time_limit;
};

struct run_result {
  std::string standard_output;  // empty when stdout was redirected or closed
  std::string standard_error;
  bool exited = false;  // ended through exit, with exit_status
  int exit_status = -1;
  bool killed_by_signal = false;  // ended by signal_number
  int signal_number = 0;
  bool timed_out = false;  // killed by the runner when time_limit ran out
  // The child's peak resident set size in KiB: wait4's ru_maxrss, which also covers the
  // forked copy of the test process before exec and, under a launcher, the largest of the
  // processes the launcher waited for.
  long peak_resident_kib = 0;
};

// Runs the executable at `program` with argv = {program name, arguments...} in
// `working_directory`, standard input from /dev/null, SIGPIPE at its default action and
// no signal blocked, and waits for it to end. Throws
// std::runtime_error if the program cannot be started at all.
run_result run_program(const std::string& program, const std::vector<std::string>& arguments,
                       const std::string& working_directory, const run_options& options = {});

// The program under test: $ANAGRAMS_PROGRAM if set, else the one built with these tests;
// made absolute against the current directory, so it still runs from another folder.
std::string program_under_test();

// $ANAGRAMS_LAUNCHER if set (an emulator such as wine64, looked up in $PATH when it has
// no slash): the program then runs as LAUNCHER PROGRAM ARGUMENTS.
std::optional<std::string> launcher();

// Runs the program under test, through the launcher if there is one.
run_result run_anagrams(const std::string& working_directory, const std::vector<std::string>& arguments,
                        const run_options& options = {});

// The line end that the program under test writes: "\r\n" when $ANAGRAMS_LINE_END is
// "crlf" (a Windows build), else "\n".
const std::string& line_end();

// `text` with every "\n" replaced by line_end(), so an expectation is written once.
std::string with_line_ends(const std::string& text);

}  // namespace program_runner
