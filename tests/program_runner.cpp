#include "program_runner.h"

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

#ifndef ANAGRAMS_BUILT_PROGRAM
#error "ANAGRAMS_BUILT_PROGRAM must name the program under test"
#endif

namespace program_runner {

namespace {

[[noreturn]] void fail(const std::string& what) { throw std::runtime_error(what + ": " + std::strerror(errno)); }

std::string environment_value(const char* name) {
  const char* value = std::getenv(name);
  return value == nullptr ? std::string() : std::string(value);
}

std::string current_directory() {
  std::vector<char> buffer(4096);
  while (getcwd(buffer.data(), buffer.size()) == nullptr) {
    if (errno != ERANGE) fail("getcwd");
    buffer.resize(buffer.size() * 2);
  }
  return buffer.data();
}

std::string absolute(const std::string& path) {
  if (path.empty() || path[0] == '/') return path;
  return current_directory() + "/" + path;
}

// The executable that `name` stands for: itself when it holds a slash, else the first
// executable of that name in $PATH.
std::string resolve_command(const std::string& name) {
  if (name.find('/') != std::string::npos) return absolute(name);
  std::string search_path = environment_value("PATH");
  std::size_t start = 0;
  while (start <= search_path.size()) {
    std::size_t end = search_path.find(':', start);
    if (end == std::string::npos) end = search_path.size();
    std::string folder = search_path.substr(start, end - start);
    if (folder.empty()) folder = ".";
    std::string candidate = absolute(folder + "/" + name);
    if (access(candidate.c_str(), X_OK) == 0) return candidate;
    start = end + 1;
  }
  return name;  // left for execv to report
}

void write_all(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    ssize_t written = write(fd, data, size);
    if (written < 0) {
      if (errno == EINTR) continue;
      fail("write");
    }
    data += written;
    size -= static_cast<std::size_t>(written);
  }
}

// Writes bytes to the file at path, created when missing; mode is O_TRUNC or O_APPEND.
void put_bytes(const std::string& path, int mode, const std::string& bytes) {
  int fd = open(path.c_str(), O_WRONLY | O_CREAT | mode | O_CLOEXEC, 0644);
  if (fd < 0) fail("opening " + path);
  try {
    write_all(fd, bytes.data(), bytes.size());
  } catch (...) {
    close(fd);
    throw;
  }
  if (close(fd) != 0) fail("closing " + path);
}

void close_quietly(int& fd) {
  if (fd >= 0) close(fd);
  fd = -1;
}

// What the child tells the parent through its close-on-exec pipe when it cannot get as
// far as running the program: the step that failed and its errno.
struct child_failure {
  int step;
  int error;
};

enum child_step { step_chdir = 1, step_stdin, step_stderr, step_stdout, step_limits, step_signals, step_exec };

const char* step_name(int step) {
  switch (step) {
    case step_chdir:
      return "entering the working directory";
    case step_stdin:
      return "opening /dev/null as standard input";
    case step_stderr:
      return "connecting standard error";
    case step_stdout:
      return "setting up standard output";
    case step_limits:
      return "setting the resource limits";
    case step_signals:
      return "restoring the signal defaults";
    case step_exec:
      return "executing the program";
    default:
      return "starting the program";
  }
}

// Only async-signal-safe calls from here to execv.
[[noreturn]] void report_from_child(int report_fd, int step) {
  child_failure failure{step, errno};
  ssize_t ignored = write(report_fd, &failure, sizeof failure);
  (void)ignored;
  _exit(127);
}

bool lower_limit(int resource, rlim_t value) {
  rlimit limit{};
  if (getrlimit(resource, &limit) != 0) return false;
  limit.rlim_cur = value;
  if (limit.rlim_max != RLIM_INFINITY && value > limit.rlim_max) limit.rlim_max = value;
  return setrlimit(resource, &limit) == 0;
}

}  // namespace

temporary_folder::temporary_folder() {
  std::string base = environment_value("TMPDIR");
  if (base.empty()) base = "/tmp";
  std::string pattern = base + "/anagrams-end-to-end-XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  if (mkdtemp(name.data()) == nullptr) fail("mkdtemp " + pattern);
  path_ = absolute(name.data());
}

temporary_folder::~temporary_folder() {
  if (!remove_recursively(path_)) std::fprintf(stderr, "could not remove all of %s\n", path_.c_str());
}

std::string temporary_folder::path_of(const std::string& name) const { return path_ + "/" + name; }

void temporary_folder::write_file(const std::string& name, const std::string& bytes) const {
  put_bytes(path_of(name), O_TRUNC, bytes);
}

std::string temporary_folder::read_file(const std::string& name) const {
  std::string path = path_of(name);
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) fail("opening " + path);
  std::string bytes;
  char buffer[8192];
  for (;;) {
    ssize_t got = read(fd, buffer, sizeof buffer);
    if (got < 0) {
      if (errno == EINTR) continue;
      close(fd);
      fail("reading " + path);
    }
    if (got == 0) break;
    bytes.append(buffer, static_cast<std::size_t>(got));
  }
  close(fd);
  return bytes;
}

void temporary_folder::make_directory(const std::string& name) const {
  if (mkdir(path_of(name).c_str(), 0755) != 0) fail("mkdir " + path_of(name));
}

void temporary_folder::append_file(const std::string& name, const std::string& bytes) const {
  put_bytes(path_of(name), O_APPEND, bytes);
}

void temporary_folder::make_unix_socket(const std::string& name) const {
  std::string path = path_of(name);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (path.size() >= sizeof address.sun_path) {
    errno = ENAMETOOLONG;
    fail("socket path " + path);
  }
  std::copy(path.begin(), path.end(), address.sun_path);
  int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) fail("socket");
  if (bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
    int saved = errno;
    close(fd);
    errno = saved;
    fail("bind " + path);
  }
  close(fd);
}

void temporary_folder::make_fifo(const std::string& name) const {
  if (mkfifo(path_of(name).c_str(), 0644) != 0) fail("mkfifo " + path_of(name));
}

void temporary_folder::make_symbolic_link(const std::string& name, const std::string& target) const {
  if (symlink(target.c_str(), path_of(name).c_str()) != 0) fail("symlink " + path_of(name));
}

void temporary_folder::set_mode(const std::string& name, mode_t mode) const {
  if (chmod(path_of(name).c_str(), mode) != 0) fail("chmod " + path_of(name));
}

bool remove_recursively(const std::string& path) {
  struct stat status {};
  if (lstat(path.c_str(), &status) != 0) return errno == ENOENT;
  if (!S_ISDIR(status.st_mode)) return unlink(path.c_str()) == 0 || errno == ENOENT;

  // A directory must be readable to be listed and writable to be emptied.
  chmod(path.c_str(), 0700);
  bool removed_all = true;
  std::vector<std::string> names;
  if (DIR* listing = opendir(path.c_str())) {
    while (dirent* entry = readdir(listing)) {
      std::string name = entry->d_name;
      if (name != "." && name != "..") names.push_back(name);
    }
    closedir(listing);
  } else {
    removed_all = false;
  }
  for (const std::string& name : names) removed_all = remove_recursively(path + "/" + name) && removed_all;
  return rmdir(path.c_str()) == 0 && removed_all;
}

run_result run_program(const std::string& program, const std::vector<std::string>& arguments,
                       const std::string& working_directory, const run_options& options) {
  // Everything the child needs is prepared before fork.
  std::vector<std::string> argument_strings;
  argument_strings.push_back(options.program_name ? *options.program_name : program);
  argument_strings.insert(argument_strings.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& argument : argument_strings) argv.push_back(argument.data());
  argv.push_back(nullptr);
  const bool capture_stdout = !options.close_stdout && !options.stdout_path;
  const std::string stdout_path = options.stdout_path ? *options.stdout_path : std::string();

  int out_pipe[2] = {-1, -1};
  int err_pipe[2] = {-1, -1};
  int report_pipe[2] = {-1, -1};
  auto close_all = [&] {
    for (int* pipe_ends : {out_pipe, err_pipe, report_pipe}) {
      close_quietly(pipe_ends[0]);
      close_quietly(pipe_ends[1]);
    }
  };
  if ((capture_stdout && pipe2(out_pipe, O_CLOEXEC) != 0) || pipe2(err_pipe, O_CLOEXEC) != 0 ||
      pipe2(report_pipe, O_CLOEXEC) != 0) {
    int saved = errno;
    close_all();
    errno = saved;
    fail("pipe");
  }

  pid_t child = fork();
  if (child < 0) {
    int saved = errno;
    close_all();
    errno = saved;
    fail("fork");
  }
  if (child == 0) {
    const int report = report_pipe[1];
    if (chdir(working_directory.c_str()) != 0) report_from_child(report, step_chdir);
    int null_input = open("/dev/null", O_RDONLY);
    if (null_input < 0 || dup2(null_input, STDIN_FILENO) < 0) report_from_child(report, step_stdin);
    if (null_input != STDIN_FILENO) close(null_input);
    if (dup2(err_pipe[1], STDERR_FILENO) < 0) report_from_child(report, step_stderr);
    if (options.close_stdout) {
      close(STDOUT_FILENO);
    } else if (options.stdout_path) {
      int file = open(stdout_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      if (file < 0 || dup2(file, STDOUT_FILENO) < 0) report_from_child(report, step_stdout);
      if (file != STDOUT_FILENO) close(file);
    } else if (dup2(out_pipe[1], STDOUT_FILENO) < 0) {
      report_from_child(report, step_stdout);
    }
    if (options.open_files_limit && !lower_limit(RLIMIT_NOFILE, *options.open_files_limit))
      report_from_child(report, step_limits);
    if (options.address_space_limit && !lower_limit(RLIMIT_AS, *options.address_space_limit))
      report_from_child(report, step_limits);
    // The program starts as from a plain shell: SIGPIPE at its default, nothing blocked,
    // whatever the test process itself was started with.
    sigset_t no_signals;
    sigemptyset(&no_signals);
    if (signal(SIGPIPE, SIG_DFL) == SIG_ERR || sigprocmask(SIG_SETMASK, &no_signals, nullptr) != 0)
      report_from_child(report, step_signals);
    execv(program.c_str(), argv.data());
    report_from_child(report, step_exec);
  }

  close_quietly(out_pipe[1]);
  close_quietly(err_pipe[1]);
  close_quietly(report_pipe[1]);

  // The report pipe closes at exec, or carries the reason the child gave up.
  child_failure failure{0, 0};
  std::size_t reported = 0;
  for (;;) {
    ssize_t got = read(report_pipe[0], reinterpret_cast<char*>(&failure) + reported, sizeof failure - reported);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    reported += static_cast<std::size_t>(got);
    if (reported == sizeof failure) break;
  }
  close_quietly(report_pipe[0]);

  // Both streams are drained together, so neither can fill up and stall the program.
  run_result result;
  using steady = std::chrono::steady_clock;
  const bool deadline = options.time_limit.has_value();
  const steady::time_point deadline_time =
      steady::now() + (deadline ? *options.time_limit : std::chrono::milliseconds(0));
  // Milliseconds to the deadline for poll (-1: none), at least 0.
  auto remaining_ms = [&]() -> int {
    if (!deadline) return -1;
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline_time - steady::now()).count();
    return static_cast<int>(std::clamp<long long>(left, 0, 1000 * 1000));
  };
  auto kill_for_time = [&] {
    kill(child, SIGKILL);
    result.timed_out = true;
    close_quietly(out_pipe[0]);
    close_quietly(err_pipe[0]);
  };
  if (capture_stdout && options.stdout_read_limit && *options.stdout_read_limit == 0) close_quietly(out_pipe[0]);
  struct stream {
    int& fd;
    std::string& bytes;
  } streams[] = {{out_pipe[0], result.standard_output}, {err_pipe[0], result.standard_error}};
  for (;;) {
    pollfd watched[2];
    stream* owners[2];
    nfds_t count = 0;
    for (stream& s : streams) {
      if (s.fd < 0) continue;
      watched[count] = pollfd{s.fd, POLLIN, 0};
      owners[count] = &s;
      ++count;
    }
    if (count == 0) break;
    if (deadline && remaining_ms() == 0) {
      kill_for_time();
      break;
    }
    int ready = poll(watched, count, remaining_ms());
    if (ready == 0) continue;  // the deadline is checked above
    if (ready < 0) {
      if (errno == EINTR) continue;
      int saved = errno;
      close_all();
      waitpid(child, nullptr, 0);
      errno = saved;
      fail("poll");
    }
    for (nfds_t i = 0; i < count; ++i) {
      if (watched[i].revents == 0) continue;
      char buffer[65536];
      std::size_t wanted = sizeof buffer;
      const bool limited = &owners[i]->fd == &out_pipe[0] && options.stdout_read_limit.has_value();
      if (limited) wanted = std::min(wanted, *options.stdout_read_limit - owners[i]->bytes.size());
      ssize_t got = read(watched[i].fd, buffer, wanted);
      if (got < 0 && (errno == EINTR || errno == EAGAIN)) continue;
      if (got <= 0) {
        close_quietly(owners[i]->fd);
      } else {
        owners[i]->bytes.append(buffer, static_cast<std::size_t>(got));
        if (limited && owners[i]->bytes.size() >= *options.stdout_read_limit) close_quietly(owners[i]->fd);
      }
    }
  }

  // The streams can end before the program does (it may close them); the time limit
  // still holds while it runs on.
  if (deadline && !result.timed_out) {
    for (;;) {
      siginfo_t info{};
      if (waitid(P_PID, static_cast<id_t>(child), &info, WEXITED | WNOHANG | WNOWAIT) != 0) {
        if (errno == EINTR) continue;
        fail("waitid");
      }
      if (info.si_pid == child) break;
      if (remaining_ms() == 0) {
        kill_for_time();
        break;
      }
      usleep(5000);
    }
  }

  int status = 0;
  rusage usage{};
  while (wait4(child, &status, 0, &usage) < 0) {
    if (errno != EINTR) fail("wait4");
  }
  result.peak_resident_kib = usage.ru_maxrss;
  if (reported == sizeof failure) {
    errno = failure.error;
    fail(std::string(step_name(failure.step)) + " for " + program);
  }
  if (WIFEXITED(status)) {
    result.exited = true;
    result.exit_status = WEXITSTATUS(status);
  } else if (WIFSIGNALED(status)) {
    result.killed_by_signal = true;
    result.signal_number = WTERMSIG(status);
  }
  return result;
}

std::string program_under_test() {
  std::string chosen = environment_value("ANAGRAMS_PROGRAM");
  if (chosen.empty()) chosen = ANAGRAMS_BUILT_PROGRAM;
  return absolute(chosen);
}

std::optional<std::string> launcher() {
  std::string chosen = environment_value("ANAGRAMS_LAUNCHER");
  if (chosen.empty()) return std::nullopt;
  return resolve_command(chosen);
}

run_result run_anagrams(const std::string& working_directory, const std::vector<std::string>& arguments,
                        const run_options& options) {
  std::optional<std::string> prefix = launcher();
  if (!prefix) return run_program(program_under_test(), arguments, working_directory, options);
  std::vector<std::string> launched{program_under_test()};
  launched.insert(launched.end(), arguments.begin(), arguments.end());
  run_options launcher_options = options;
  launcher_options.program_name.reset();
  return run_program(*prefix, launched, working_directory, launcher_options);
}

const std::string& line_end() {
  static const std::string chosen = environment_value("ANAGRAMS_LINE_END") == "crlf" ? "\r\n" : "\n";
  return chosen;
}

std::string with_line_ends(const std::string& text) {
  if (line_end() == "\n") return text;
  std::string converted;
  converted.reserve(text.size() + text.size() / 8);
  for (char byte : text) {
    if (byte == '\n') {
      converted += line_end();
    } else {
      converted += byte;
    }
  }
  return converted;
}

}  // namespace program_runner
