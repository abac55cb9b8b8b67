// test_util.h: shared fixtures of the test binary: temporary directories,
// in-process capture of standard output and error, and running the built
// qelmos binary (or any program) with a clean environment, and a real loop
// window (tools/loopwin) to talk to over a message queue.
#pragma once

#include <sys/types.h>

#include <functional>
#include <string>
#include <vector>

namespace qeltest {

/// A fresh directory under $TMPDIR, removed with its contents at the end.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir &) = delete;
  TempDir &operator=(const TempDir &) = delete;
  const std::string &path() const { return path_; }
  /// The path of `name` inside the directory.
  std::string file(const std::string &name) const { return path_ + "/" + name; }
  /// Writes `content` to `name` inside the directory; returns its path.
  std::string write(const std::string &name, const std::string &content) const;

 private:
  std::string path_;
};

/// What a captured piece of code or a child process printed.
struct Output {
  int status = 0;   // exit status of a child (or -1 when killed by a signal)
  std::string out;  // standard output
  std::string err;  // standard error
};

/// Runs `fn` with file descriptors 1 and 2 redirected and returns what it wrote.
Output capture(const std::function<void()> &fn);

/// Runs `fn` in a forked child with standard input `input` and returns its
/// exit status and output (for code that ends the process or reads stdin).
Output run_child(const std::function<void()> &fn, const std::string &input = "");

/// Runs a program with arguments, standard input `input`, a clean
/// environment (PATH, HOME, TMPDIR only) plus `env` ("NAME=value"), in
/// directory `cwd` when given.
Output run_program(const std::string &program, const std::vector<std::string> &args, const std::string &input = "",
                   const std::vector<std::string> &env = {}, const std::string &cwd = "");

/// Runs the built qelmos binary as run_program does.
Output run_qelmos(const std::vector<std::string> &args, const std::string &input = "",
                  const std::vector<std::string> &env = {}, const std::string &cwd = "");

/// The whole contents of a file ("" when it cannot be read).
std::string read_file(const std::string &path);

/// The path of a file in tests/data.
std::string data_file(const std::string &name);

/// The text of tests/data/expected/NAME, checked by hand against its bulletin.
std::string expected(const std::string &name);

/// `text` compressed as one gzip member (zlib's default level); members
/// joined one after another read as one text.
std::string gzip(const std::string &text);

/// A data directory with a name convention file ("mos_dat" files are named
/// by the run's year, month, day and hour: "14010100_mos"), where the built
/// qelmos runs.
class BulletinDir {
 public:
  BulletinDir();
  /// Puts a tests/data bulletin into the directory under the name of `run`.
  void place(const std::string &bulletin, const std::string &run);
  /// Runs the built qelmos in the directory.
  Output qelmos(const std::vector<std::string> &args, const std::string &input = "");

  TempDir dir;
};

/// A System V queue key (a loop-window number) of this test process alone,
/// the `n`th (0 to 127): keys differ between processes, so suites run at
/// the same time on one machine never share a queue.
int window_key(int n);

/// A loopwin process serving window `key` (its System V queue key), started
/// as `loopwin OPTIONS... KEY VALUES...` (options such as "-d", "0.5";
/// values "NAME=VALUE"). The constructor waits up to 10 seconds for its
/// "ready" line; the destructor kills it and removes the queue of `key`
/// whatever happened. Each test uses a key of its own.
class LoopWindow {
 public:
  explicit LoopWindow(int key, const std::vector<std::string> &options = {},
                      const std::vector<std::string> &values = {});
  ~LoopWindow();
  LoopWindow(const LoopWindow &) = delete;
  LoopWindow &operator=(const LoopWindow &) = delete;
  /// True once the window printed "ready" (its queue exists).
  bool ready() const { return ready_; }
  int key() const { return key_; }
  /// Waits up to `secs` seconds for the window to end by itself (after
  /// "quit" or its time limit): its exit status, or -1 if it is still running.
  int wait(double secs);

 private:
  int key_;
  pid_t pid_ = -1;
  int out_ = -1;  // read end of its standard output
  bool ready_ = false;
};

}  // namespace qeltest
