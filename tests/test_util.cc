// test_util.cc: the shared fixtures of the test binary.

#include "test_util.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/ipc.h>
#include <sys/msg.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace qeltest {

TempDir::TempDir() {
  const char *base = getenv("TMPDIR");
  std::string tmpl = std::string(base && *base ? base : "/tmp") + "/qeltest.XXXXXX";
  std::vector<char> buf(tmpl.begin(), tmpl.end());
  buf.push_back('\0');
  if (!mkdtemp(buf.data())) abort();
  path_ = buf.data();
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

std::string TempDir::write(const std::string &name, const std::string &content) const {
  std::string p = file(name);
  std::filesystem::create_directories(std::filesystem::path(p).parent_path());
  std::ofstream(p, std::ios::binary) << content;
  return p;
}

std::string read_file(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

namespace {
// The test process's own id, taken at start-up: forked children share it.
const int test_pid = static_cast<int>(getpid());
}  // namespace

int window_key(int n) { return 0x40000000 + (test_pid % 0x400000) * 128 + (n & 127); }

std::string data_file(const std::string &name) { return std::string(QEL_TEST_DATA) + "/" + name; }

std::string expected(const std::string &name) { return read_file(data_file("expected/" + name)); }

std::string gzip(const std::string &text) {
  z_stream z{};
  if (deflateInit2(&z, Z_DEFAULT_COMPRESSION, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY) != Z_OK) abort();
  std::string out(deflateBound(&z, text.size()), '\0');
  z.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(text.data()));
  z.avail_in = static_cast<uInt>(text.size());
  z.next_out = reinterpret_cast<Bytef *>(out.data());
  z.avail_out = static_cast<uInt>(out.size());
  if (deflate(&z, Z_FINISH) != Z_STREAM_END) abort();
  out.resize(z.total_out);
  deflateEnd(&z);
  return out;
}

BulletinDir::BulletinDir() { dir.write("name_conv", "mos_dat %D/%y%m%d%h_mos - 0\n"); }

void BulletinDir::place(const std::string &bulletin, const std::string &run) {
  std::filesystem::copy_file(data_file(bulletin), dir.file(run + "_mos"),
                             std::filesystem::copy_options::overwrite_existing);
}

Output BulletinDir::qelmos(const std::vector<std::string> &args, const std::string &input) {
  return run_qelmos(args, input, {}, dir.path());
}

Output capture(const std::function<void()> &fn) {
  TempDir dir;
  std::string out_path = dir.file("out"), err_path = dir.file("err");
  fflush(stdout);
  fflush(stderr);
  int saved_out = dup(1), saved_err = dup(2);
  int fo = open(out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  int fe = open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  dup2(fo, 1);
  dup2(fe, 2);
  close(fo);
  close(fe);
  fn();
  fflush(stdout);
  fflush(stderr);
  dup2(saved_out, 1);
  dup2(saved_err, 2);
  close(saved_out);
  close(saved_err);
  Output o;
  o.out = read_file(out_path);
  o.err = read_file(err_path);
  return o;
}

namespace {

// Forks; the child gets `input` on stdin and files for stdout/stderr, runs
// `child` (which must not return normally when it execs) and exits 0.
Output fork_with_io(const std::function<void()> &child, const std::string &input) {
  TempDir dir;
  std::string in_path = dir.write("in", input);
  std::string out_path = dir.file("out"), err_path = dir.file("err");
  fflush(stdout);
  fflush(stderr);
  pid_t pid = fork();
  if (pid == 0) {
    int fi = open(in_path.c_str(), O_RDONLY);
    int fo = open(out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    int fe = open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    dup2(fi, 0);
    dup2(fo, 1);
    dup2(fe, 2);
    close(fi);
    close(fo);
    close(fe);
    child();
    fflush(stdout);
    fflush(stderr);
    _exit(0);
  }
  int wstatus = 0;
  waitpid(pid, &wstatus, 0);
  Output o;
  o.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : -1;
  o.out = read_file(out_path);
  o.err = read_file(err_path);
  return o;
}

}  // namespace

Output run_child(const std::function<void()> &fn, const std::string &input) {
  return fork_with_io(
      [&] {
        // A fresh stdin stream for the child: drop what the parent buffered.
        clearerr(stdin);
        fn();
        fflush(stdout);
        fflush(stderr);
        exit(0);
      },
      input);
}

Output run_program(const std::string &program, const std::vector<std::string> &args, const std::string &input,
                   const std::vector<std::string> &env, const std::string &cwd) {
  return fork_with_io(
      [&] {
        if (!cwd.empty() && chdir(cwd.c_str()) != 0) _exit(127);
        std::vector<std::string> envs;
        for (const char *name : {"PATH", "HOME", "TMPDIR"})
          if (const char *v = getenv(name)) envs.push_back(std::string(name) + "=" + v);
        for (const std::string &e : env) envs.push_back(e);
        std::vector<char *> argv, envp;
        argv.push_back(const_cast<char *>(program.c_str()));
        for (const std::string &a : args) argv.push_back(const_cast<char *>(a.c_str()));
        argv.push_back(nullptr);
        for (std::string &e : envs) envp.push_back(e.data());
        envp.push_back(nullptr);
        execve(program.c_str(), argv.data(), envp.data());
        _exit(127);
      },
      input);
}

Output run_qelmos(const std::vector<std::string> &args, const std::string &input, const std::vector<std::string> &env,
                  const std::string &cwd) {
  return run_program(QELMOS_BIN, args, input, env, cwd);
}

namespace {

double now_seconds() {
  timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return static_cast<double>(t.tv_sec) + t.tv_nsec / 1e9;
}

void remove_queue(int key) {
  int id = msgget(static_cast<key_t>(key), 0);
  if (id >= 0) msgctl(id, IPC_RMID, nullptr);
}

}  // namespace

LoopWindow::LoopWindow(int key, const std::vector<std::string> &options, const std::vector<std::string> &values)
    : key_(key) {
#ifdef LOOPWIN_BIN
  std::vector<std::string> args = {LOOPWIN_BIN};
  args.insert(args.end(), options.begin(), options.end());
  args.push_back(std::to_string(key));
  args.insert(args.end(), values.begin(), values.end());
  int fds[2];
  if (pipe(fds) != 0) return;
  fflush(stdout);
  fflush(stderr);
  pid_ = fork();
  if (pid_ == 0) {
    int null_in = open("/dev/null", O_RDONLY);
    dup2(null_in, 0);
    dup2(fds[1], 1);
    close(fds[0]);
    close(fds[1]);
    std::vector<char *> argv;
    for (std::string &a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    execv(argv[0], argv.data());
    _exit(127);
  }
  close(fds[1]);
  out_ = fds[0];
  if (pid_ < 0) return;
  // Wait for the "ready" line: the queue exists from then on.
  std::string got;
  double deadline = now_seconds() + 10;
  while (got.find("ready\n") == std::string::npos && now_seconds() < deadline) {
    pollfd p = {out_, POLLIN, 0};
    if (poll(&p, 1, 100) <= 0) continue;
    char buf[64];
    ssize_t n = read(out_, buf, sizeof buf);
    if (n <= 0) break;  // it ended before it was ready
    got.append(buf, static_cast<size_t>(n));
  }
  ready_ = got.find("ready\n") != std::string::npos;
#else
  (void)options;
  (void)values;
#endif
}

int LoopWindow::wait(double secs) {
  if (pid_ <= 0) return -1;
  double deadline = now_seconds() + secs;
  do {
    int ws = 0;
    if (waitpid(pid_, &ws, WNOHANG) == pid_) {
      pid_ = -1;
      return WIFEXITED(ws) ? WEXITSTATUS(ws) : -1;
    }
    usleep(10000);
  } while (now_seconds() < deadline);
  return -1;
}

LoopWindow::~LoopWindow() {
  if (pid_ > 0) {
    kill(pid_, SIGTERM);
    if (wait(2) < 0 && pid_ > 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
  }
  if (out_ >= 0) close(out_);
  remove_queue(key_);
}

}  // namespace qeltest
