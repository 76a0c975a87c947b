// The built program where the platform gets in its way: entries with word-list names that
// cannot be read as files, a huge line, output that cannot be written, few file
// descriptors for many lists, and too little memory. Every run has a time limit, so a
// program that hangs fails its test instead of stalling the suite.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "program_runner.h"

namespace {

using program_runner::launcher;
using program_runner::line_end;
using program_runner::run_anagrams;
using program_runner::run_options;
using program_runner::run_result;
using program_runner::temporary_folder;
using program_runner::with_line_ends;

// Far beyond what any of these runs needs (each takes well under a second); only a
// program that blocks or reads for ever reaches it.
constexpr std::chrono::seconds hang_limit{30};

const std::string separator = "------------------------\n";
const std::string total_prefix = "--total : ";

std::string block(const std::string& query, const std::string& single, const std::string& two,
                  const std::string& three) {
  return "word : " + query + "\n" + separator + single + separator + two + separator + three;
}

std::string count_line(const std::string& name, int count) { return name + " : " + std::to_string(count) + " words"; }
std::string total_line(int total) { return total_prefix + std::to_string(total) + " words\n"; }

// Set by the CI for a build with AddressSanitizer, which needs an address space far
// beyond any limit the memory tests set.
bool sanitized() {
  const char* value = std::getenv("ANAGRAMS_SANITIZED");
  return value != nullptr && std::string(value) == "1";
}

run_options with_time_limit(run_options options = {}) {
  options.time_limit = hang_limit;
  return options;
}

// Fails unless the run ended by itself, before the time limit.
void expect_no_hang(const run_result& result, const std::string& case_name) {
  EXPECT_FALSE(result.timed_out) << "case " << case_name << ": still running after " << hang_limit.count()
                                 << " s, killed";
}

void expect_clean_exit(const run_result& result, const std::string& case_name) {
  expect_no_hang(result, case_name);
  EXPECT_TRUE(result.exited) << "case " << case_name << ": killed by signal " << result.signal_number;
  EXPECT_EQ(result.exit_status, 0) << "case " << case_name;
  if (!launcher()) {
    EXPECT_EQ(result.standard_error, "") << "case " << case_name;
  }
}

// Checks the whole of a run's standard output: first the count lines `expected_counts`
// (written without line ends) in whatever order the program printed them, since the
// listing order is the platform's, then exactly `expected_rest`, which starts with the
// total line.
void expect_loading_output(const std::string& output, std::vector<std::string> expected_counts,
                           const std::string& expected_rest, const std::string& case_name) {
  const std::string& end = line_end();
  std::vector<std::string> printed_counts;
  std::size_t start = 0;
  while (start < output.size() && output.compare(start, total_prefix.size(), total_prefix) != 0) {
    std::size_t stop = output.find(end, start);
    if (stop == std::string::npos) break;
    printed_counts.push_back(output.substr(start, stop - start));
    start = stop + end.size();
  }
  std::sort(printed_counts.begin(), printed_counts.end());
  std::sort(expected_counts.begin(), expected_counts.end());
  std::vector<std::string> missing;
  std::vector<std::string> unexpected;
  std::set_difference(expected_counts.begin(), expected_counts.end(), printed_counts.begin(), printed_counts.end(),
                      std::back_inserter(missing));
  std::set_difference(printed_counts.begin(), printed_counts.end(), expected_counts.begin(), expected_counts.end(),
                      std::back_inserter(unexpected));
  auto first_few = [](const std::vector<std::string>& lines) {
    std::string shown;
    for (std::size_t i = 0; i < lines.size() && i < 8; ++i) shown += "\n    \"" + lines[i] + "\"";
    if (lines.size() > 8) shown += "\n    ... " + std::to_string(lines.size() - 8) + " more";
    return shown;
  };
  EXPECT_TRUE(missing.empty() && unexpected.empty())
      << "case " << case_name << ": count lines differ; " << missing.size() << " missing:" << first_few(missing)
      << "\n  " << unexpected.size() << " not expected:" << first_few(unexpected);
  EXPECT_EQ(output.substr(start), with_line_ends(expected_rest)) << "case " << case_name;
}

// ---------------------------------------------------------------------------------------
// Entries with word-list names that are not readable files: 0 words each, promptly, and
// the plain lists around them still load

// Two plain lists that every folder of these cases holds besides its odd entries.
void add_plain_lists(const temporary_folder& folder) {
  folder.write_file("alpha10", "stop\n");
  folder.write_file("omega90", "post\n");
}
const std::vector<std::string> plain_list_counts = {count_line("alpha10", 1), count_line("omega90", 1)};
// What follows the count lines for the query "pots" when only the plain lists were read.
const std::string plain_lists_rest = total_line(2) + block("pots", "Single word : 2 words\n  post\n  stop\n", "", "");

struct unreadable_case {
  std::string name;
  std::function<void(const temporary_folder&)> make;  // creates the odd entries
  std::vector<std::string> zero_count_names;          // the entries that show 0 words
  bool runs_under_launcher;
};

void check_unreadable(const unreadable_case& c) {
  temporary_folder folder;
  add_plain_lists(folder);
  c.make(folder);
  run_options options = with_time_limit();
  // A program that reads a device for ever then fails quickly instead of filling memory.
  if (!launcher() && !sanitized()) options.address_space_limit = rlim_t{1} << 30;
  run_result result = run_anagrams(folder.path(), {"pots"}, options);

  std::vector<std::string> counts = plain_list_counts;
  for (const std::string& name : c.zero_count_names) counts.push_back(count_line(name, 0));
  expect_loading_output(result.standard_output, counts, plain_lists_rest, c.name);
  expect_clean_exit(result, c.name);
}

// A folder beside the word lists whose only list holds "tops": if it were read, the
// query "pots" would find three words.
void make_outside_list(const temporary_folder& folder) {
  folder.make_directory("holder");
  folder.write_file("holder/inner01", "tops\n");
}

const std::vector<unreadable_case>& unreadable_cases() {
  static const std::vector<unreadable_case> cases = {
      {"FIFO without a writer", [](const temporary_folder& f) { f.make_fifo("fifo01"); }, {"fifo01"}, false},
      {"link to /dev/zero",
       [](const temporary_folder& f) { f.make_symbolic_link("zero01", "/dev/zero"); },
       {"zero01"},
       false},
      {"link to /dev/urandom",
       [](const temporary_folder& f) { f.make_symbolic_link("random01", "/dev/urandom"); },
       {"random01"},
       false},
      {"Unix socket", [](const temporary_folder& f) { f.make_unix_socket("socket01"); }, {"socket01"}, false},
      {"dangling link",
       [](const temporary_folder& f) { f.make_symbolic_link("dangling01", "no-such-entry"); },
       {"dangling01"},
       false},
      {"link loop",
       [](const temporary_folder& f) {
         f.make_symbolic_link("a01", "a02");
         f.make_symbolic_link("a02", "a01");
       },
       {"a01", "a02"},
       false},
      {"directory holding a list",
       [](const temporary_folder& f) {
         f.make_directory("dir01");
         f.write_file("dir01/inner01", "tops\n");
       },
       {"dir01"},
       true},
      {"link to a directory holding a list",
       [](const temporary_folder& f) {
         make_outside_list(f);
         f.make_symbolic_link("dirlink01", "holder");
       },
       {"dirlink01"},
       false},
  };
  return cases;
}

TEST(EndToEndRobustness, EntriesThatCannotBeReadCountZeroAndLoadingGoesOn) {
  for (const unreadable_case& c : unreadable_cases()) {
    if (launcher() && !c.runs_under_launcher) continue;
    check_unreadable(c);
  }
}

TEST(EndToEndRobustness, AllKindsOfUnreadableEntriesInOneFolder) {
  if (launcher()) GTEST_SKIP() << "FIFOs, devices, sockets and links do not apply to the emulated build";
  unreadable_case together{"all together", nullptr, {}, false};
  for (const unreadable_case& c : unreadable_cases()) {
    together.zero_count_names.insert(together.zero_count_names.end(), c.zero_count_names.begin(),
                                     c.zero_count_names.end());
  }
  together.make = [](const temporary_folder& f) {
    for (const unreadable_case& c : unreadable_cases()) c.make(f);
  };
  check_unreadable(together);
}

TEST(EndToEndRobustness, FileWithoutReadPermissionCountsZero) {
  if (launcher()) GTEST_SKIP() << "file permissions do not apply to the emulated build";
  if (geteuid() == 0) GTEST_SKIP() << "running as root, where read permission is not enforced";
  check_unreadable({"file without read permission",
                    [](const temporary_folder& f) {
                      f.write_file("locked01", "tops\n");
                      f.set_mode("locked01", 0);
                    },
                    {"locked01"},
                    false});
}

// ---------------------------------------------------------------------------------------
// A line far longer than memory should hold: skipped, and held nowhere

TEST(EndToEndRobustness, HugeLineOfOtherBytesIsSkippedInLittleMemory) {
  const std::string name = "huge line of 0xFF";
  temporary_folder folder;
  const std::string piece(std::size_t{1} << 20, '\xFF');
  folder.write_file("huge01", "");
  for (int i = 0; i < 256; ++i) folder.append_file("huge01", piece);  // 256 MiB
  folder.append_file("huge01", "\nvalidword\n");

  run_result result = run_anagrams(folder.path(), {"validword"}, with_time_limit());

  expect_loading_output(result.standard_output, {count_line("huge01", 1)},
                        total_line(1) + block("validword", "Single word : 1 words\n  validword\n", "", ""), name);
  expect_clean_exit(result, name);
  // An emulator's own memory would swamp the program's.
  if (!launcher()) {
    EXPECT_GT(result.peak_resident_kib, 0) << "case " << name;
    EXPECT_LT(result.peak_resident_kib, 64 * 1024) << "case " << name << ": peak resident size in KiB";
  }
}

// ---------------------------------------------------------------------------------------
// Output that cannot be written

// The 40320 orderings of "abcdefgh", one a line: the query "abcdefgh" lists them all,
// about 440 KiB of output, far more than any stdio or pipe buffer holds.
std::string permutations_of_abcdefgh() {
  std::string letters = "abcdefgh";
  std::string list;
  do {
    list += letters + "\n";
  } while (std::next_permutation(letters.begin(), letters.end()));
  return list;
}

struct lost_output_case {
  std::string name;
  bool to_dev_full;  // else standard output is closed
  std::vector<std::string> arguments;
  int expected_error;
};

TEST(EndToEndRobustness, FailedWriteEndsWithStatusOneAndOneMessage) {
  if (launcher()) GTEST_SKIP() << "the emulated build's standard output is the emulator's";
  const std::vector<lost_output_case> cases = {
      {"/dev/full, a long run", true, {"abcdefgh"}, ENOSPC}, {"/dev/full, a short run", true, {"pots"}, ENOSPC},
      {"/dev/full, the usage line", true, {}, ENOSPC},       {"closed, the usage line", false, {}, EBADF},
      {"closed, a short run", false, {"pots"}, EBADF},       {"closed, a long run", false, {"abcdefgh"}, EBADF},
  };
  const std::string list = permutations_of_abcdefgh();
  for (const lost_output_case& c : cases) {
    temporary_folder folder;
    folder.write_file("words01", list);
    run_options options = with_time_limit();
    if (c.to_dev_full) {
      options.stdout_path = "/dev/full";
    } else {
      options.close_stdout = true;
    }
    run_result result = run_anagrams(folder.path(), c.arguments, options);

    expect_no_hang(result, c.name);
    EXPECT_TRUE(result.exited) << "case " << c.name << ": killed by signal " << result.signal_number;
    EXPECT_EQ(result.exit_status, 1) << "case " << c.name;
    EXPECT_EQ(result.standard_error, "anagrams: write error: " + std::string(std::strerror(c.expected_error)) + "\n")
        << "case " << c.name;
  }
}

TEST(EndToEndRobustness, PipeClosedByItsReaderEndsTheProgramBySigpipe) {
  if (launcher()) GTEST_SKIP() << "an emulated Windows program gets no SIGPIPE";
  const std::string name = "anagrams abcdefgh | head -c1";
  temporary_folder folder;
  folder.write_file("words01", permutations_of_abcdefgh());
  run_options options = with_time_limit();
  options.stdout_read_limit = 1;
  run_result result = run_anagrams(folder.path(), {"abcdefgh"}, options);

  expect_no_hang(result, name);
  // The first byte of the count line of words01.
  EXPECT_EQ(result.standard_output, "w") << "case " << name;
  EXPECT_TRUE(result.killed_by_signal) << "case " << name << ": exited with status " << result.exit_status;
  EXPECT_EQ(result.signal_number, SIGPIPE) << "case " << name;
  EXPECT_EQ(result.standard_error, "") << "case " << name;
}

// ---------------------------------------------------------------------------------------
// Many word lists, few file descriptors

TEST(EndToEndRobustness, ThreeThousandListsLoadUnderThirtyTwoDescriptors) {
  if (launcher()) GTEST_SKIP() << "the emulator cannot start with 32 file descriptors";
  const std::string name = "3000 lists, RLIMIT_NOFILE 32";
  const int lists = 3000;
  temporary_folder folder;
  std::vector<std::string> counts;
  for (int i = 0; i < lists; ++i) {
    char list_name[16];
    std::snprintf(list_name, sizeof list_name, "l%04d.%02d", i, i % 100);
    // Three letters, i in base 26: 0 is "aaa", 28 "abc"; all 3000 words differ.
    std::string word = {static_cast<char>('a' + i / 676), static_cast<char>('a' + i / 26 % 26),
                        static_cast<char>('a' + i % 26)};
    folder.write_file(list_name, word + "\n");
    counts.push_back(count_line(list_name, 1));
  }
  run_options options = with_time_limit();
  options.open_files_limit = 32;
  run_result result = run_anagrams(folder.path(), {"cab"}, options);

  // Every ordering of "abc" is among the words (the largest, "cba", is number 1378).
  expect_loading_output(
      result.standard_output, counts,
      total_line(lists) + block("cab", "Single word : 6 words\n  abc\n  acb\n  bac\n  bca\n  cab\n  cba\n", "", ""),
      name);
  expect_clean_exit(result, name);
}

// ---------------------------------------------------------------------------------------
// Exhausted memory

TEST(EndToEndRobustness, ExhaustedMemoryEndsTheRunAbnormallyWithoutAMessage) {
  if (launcher()) GTEST_SKIP() << "the emulator cannot run under a small address-space limit";
  if (sanitized()) GTEST_SKIP() << "AddressSanitizer reserves far more address space than the limit";
  // 64 MiB of address space: plenty for the program with a small list (checked first), but
  // 4 million distinct 8-letter words are 32 MB of letters alone, before the index that
  // holds them, their signatures and the allocator's bookkeeping; a run without a limit
  // needs well over twice the limit.
  const rlim_t limit = rlim_t{64} << 20;

  {
    const std::string name = "small list under the limit";
    temporary_folder folder;
    folder.write_file("small01", "stop\n");
    run_options options = with_time_limit();
    options.address_space_limit = limit;
    run_result result = run_anagrams(folder.path(), {"pots"}, options);
    EXPECT_EQ(result.standard_output, with_line_ends("small01 : 1 words\n" + total_line(1) +
                                                     block("pots", "Single word : 1 words\n  stop\n", "", "")))
        << "case " << name;
    expect_clean_exit(result, name);
  }

  const std::string name = "4 million words under the limit";
  temporary_folder folder;
  // Word i is the base-26 digits of i * 7919 modulo 26^8, least significant first; 7919
  // is prime and divides no power of 26, so the 4 million words are all different.
  const long long modulus = 208827064576LL;  // 26^8
  const int words = 4000000;
  const int words_per_piece = 100000;
  folder.write_file("big01", "");
  std::string piece;
  for (int first = 0; first < words; first += words_per_piece) {
    piece.clear();
    for (int i = first; i < first + words_per_piece; ++i) {
      long long value = static_cast<long long>(i) * 7919 % modulus;
      for (int letter = 0; letter < 8; ++letter) {
        piece += static_cast<char>('a' + value % 26);
        value /= 26;
      }
      piece += '\n';
    }
    folder.append_file("big01", piece);
  }
  run_options options = with_time_limit();
  options.address_space_limit = limit;
  run_result result = run_anagrams(folder.path(), {"pots"}, options);

  expect_no_hang(result, name);
  EXPECT_FALSE(result.exited && result.exit_status == 0)
      << "case " << name << ": the run ended normally; it fitted in " << (limit >> 20) << " MiB";
  // Memory ran out while the list was being loaded.
  EXPECT_EQ(result.standard_output.find(total_prefix), std::string::npos) << "case " << name;
  // The runtime may say why it stopped; the program says nothing of its own.
  const std::string& errors = result.standard_error;
  for (std::size_t start = 0; start < errors.size();) {
    std::size_t stop = errors.find('\n', start);
    if (stop == std::string::npos) stop = errors.size();
    EXPECT_NE(errors.compare(start, 9, "anagrams:"), 0)
        << "case " << name << ": line " << errors.substr(start, stop - start);
    start = stop + 1;
  }
}

}  // namespace
