// test_util.h: shared fixtures of the test binary: temporary directories,
// in-process capture of standard output and error, and running the built
// qelmos binary (or any program) with a clean environment.
#pragma once

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
Output run_program(const std::string &program, const std::vector<std::string> &args,
                   const std::string &input = "", const std::vector<std::string> &env = {},
                   const std::string &cwd = "");

/// Runs the built qelmos binary as run_program does.
Output run_qelmos(const std::vector<std::string> &args, const std::string &input = "",
                  const std::vector<std::string> &env = {}, const std::string &cwd = "");

/// The whole contents of a file ("" when it cannot be read).
std::string read_file(const std::string &path);

/// The path of a file in tests/data.
std::string data_file(const std::string &name);

}  // namespace qeltest
