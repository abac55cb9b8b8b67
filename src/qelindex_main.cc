// qelindex: writes the header index of a bulletin file, the companion file
// through which the product reader finds products without reading every
// line: one line per product, "OFFSET HEADING" or "OFFSET HEADING/NEXT",
// OFFSET being the byte offset of the product's heading line, HEADING that
// line's WMO heading and NEXT the product's next line (its AWIPS
// identifier in a feed), e.g. "1043 FOUS26 KWNO 010000/MAVWC0".
//
//   qelindex [-a] [-o OUT] FILE
//
// A product begins at a heading line: four letters and two digits, a
// four-letter centre and six digits, then optionally more groups of
// letters and digits ("RRA"), the line perhaps led by blanks or by "** ".
// Lines end with LF, CR LF, CR CR LF or a lone CR; a last line without a
// line end is still being written and is not taken as a heading.
//
// -o writes OUT atomically (a temporary file in OUT's directory renamed
// into place). -a extends the index OUT in place: it takes the offset of
// OUT's last entry, checks that the same heading still stands there and
// indexes the file from there on; an index that does not fit the file (an
// offset past its end or at another line, an unreadable last entry) is
// written anew, and an unfinished last line of OUT is replaced.
//
// A gzip file (its first two bytes 1f 8b, whatever its name) is indexed by
// its decompressed text, as the product reader reads it: offsets are
// offsets in that text. Damaged or cut-off gzip data is indexed up to where
// it stops decompressing cleanly, with one warning; -a decompresses the
// file from its start up to the last entry's offset.
//
// The file is read once, through one fixed buffer, so memory does not grow
// with its size. Exit status: 0, 1 when a file cannot be read or written
// ("qelindex: cannot read FILE: REASON"), 2 for a usage error.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <utility>

#include "gzip_text.h"  // gzip files read as the product reader reads them (inline)
#include "qel.h"        // the character classes only, which are inline: qelindex links nothing of the library

namespace {

constexpr size_t kBufSize = 1 << 18;  // bytes of the bulletin file held at a time
constexpr size_t kLineMax = 128;      // characters of a line looked at; longer lines are never headings
constexpr size_t kTextMax = 128;      // characters of an entry's text, as the reader reads them
constexpr size_t kTailMax = 4096;     // bytes of OUT's end read to find its last entry

const char *kUsage = "usage: qelindex [-a] [-o OUT] FILE\n";

// The temporary file of a whole index while it is being written; a
// failure removes it.
std::string temp_file;

[[noreturn]] void fail(const char *what, const std::string &name, int err) {
  if (!temp_file.empty()) unlink(temp_file.c_str());
  fprintf(stderr, "qelindex: cannot %s %s: %s\n", what, name.c_str(), strerror(err));
  exit(1);
}

// Whether the damage of the gzip input was reported: once a run, though -a
// may read the file twice.
bool damage_told = false;

// The bulletin file as it is indexed: its bytes, or the decompressed text
// of gzip data. Its first two bytes, which tell gzip data, are read ahead
// and handed out first: standard input may be a pipe, which cannot go back.
class Input {
 public:
  explicit Input(const std::string &name) : name_(name) {
    fd_ = name == "-" ? 0 : open(name.c_str(), O_RDONLY);
    if (fd_ < 0) fail("read", name, errno);
    while (held_ < sizeof head_) {
      size_t n = raw(reinterpret_cast<char *>(head_) + held_, sizeof head_ - held_);
      if (n == 0) break;
      held_ += n;
    }
    if (qelgz::is_gzip(head_, held_)) gzip_ = std::make_unique<qelgz::Inflater>();
  }
  ~Input() {
    if (fd_ != 0) close(fd_);
  }
  Input(const Input &) = delete;
  Input &operator=(const Input &) = delete;

  // Up to `n` bytes of the text into `buf`: the count, 0 at its end.
  size_t read(char *buf, size_t n) {
    if (!gzip_) return raw(buf, n);
    size_t got = gzip_->read(buf, n, [this](unsigned char *p, size_t size) {
      return static_cast<long>(raw(reinterpret_cast<char *>(p), size));
    });
    if (got == 0 && !gzip_->reason().empty() && !damage_told) {
      damage_told = true;
      fprintf(stderr, "qelindex: %s: damaged gzip data (%s): indexing the text before it\n", name_.c_str(),
              gzip_->reason().c_str());
    }
    return got;
  }

  // Goes to offset `off` of the text. Gzip data cannot be entered in the
  // middle: it is decompressed from its start up to there (or to its end).
  void seek(long off) {
    if (!gzip_) {
      if (lseek(fd_, off, SEEK_SET) < 0) fail("read", name_, errno);
      held_ = given_ = 0;
      return;
    }
    char skip[1 << 16];
    for (long left = off; left > 0;) {
      size_t n = read(skip, left < static_cast<long>(sizeof skip) ? static_cast<size_t>(left) : sizeof skip);
      if (n == 0) break;
      left -= static_cast<long>(n);
    }
  }

 private:
  // Up to `n` bytes of the file itself, those read ahead first; a read
  // error ends the program.
  size_t raw(char *buf, size_t n) {
    if (given_ < held_) {
      size_t k = held_ - given_ < n ? held_ - given_ : n;
      memcpy(buf, head_ + given_, k);
      given_ += k;
      return k;
    }
    for (;;) {
      ssize_t got = ::read(fd_, buf, n);
      if (got >= 0) return static_cast<size_t>(got);
      if (errno != EINTR) fail("read", name_, errno);
    }
  }

  std::string name_;
  int fd_ = -1;
  unsigned char head_[2];
  size_t held_ = 0, given_ = 0;  // bytes read ahead into head_; of them handed out
  std::unique_ptr<qelgz::Inflater> gzip_;
};

// One line of the bulletin file: its offset, its first characters (at
// most kLineMax, without its line end; a length of kLineMax + 1 marks a
// longer line), whether a line end closed it and whether empty lines
// followed it (CRs without LF).
struct Line {
  long off = 0;
  const char *text = nullptr;
  size_t len = 0;
  bool ended = false;
  bool empty_after = false;
};

// The first CR or LF of p[0, n), or null. The window searched doubles, so
// that a file without LF (CR line ends) costs no more than one with them.
const char *line_end(const char *p, size_t n) {
  size_t done = 0, window = 256;
  while (done < n) {
    size_t lim = n - done < window ? n - done : window;
    const char *q = p + done;
    const char *nl = static_cast<const char *>(memchr(q, '\n', lim));
    const char *cr = static_cast<const char *>(memchr(q, '\r', nl ? static_cast<size_t>(nl - q) : lim));
    if (cr) return cr;
    if (nl) return nl;
    done += lim;
    window *= 2;
  }
  return nullptr;
}

// Cuts a file into lines through one buffer. A line's text is valid until
// the next call.
class LineCutter {
 public:
  LineCutter(Input &in, long start) : in_(in), base_(start) {}

  // The next line, or false at the end of the file.
  bool next(Line *line) {
    if (at_ == end_ && !fill(at_)) return false;
    line->off = base_ + static_cast<long>(at_);
    size_t from = at_;  // the line's first byte while it is still held
    bool too_long = false;
    for (;;) {
      if (const char *stop = line_end(buf_ + at_, end_ - at_)) {
        at_ = static_cast<size_t>(stop - buf_);
        if (!too_long) take(line, from, at_ - from);
        line->ended = true;
        skip_line_end(line);
        return true;
      }
      // No line end yet: read on. A line longer than any heading needs no
      // more of its text kept.
      if (!too_long && end_ - from > kLineMax) {
        too_long = true;
        line->text = "";
        line->len = kLineMax + 1;
      }
      at_ = end_;
      if (!fill(too_long ? end_ : from)) {
        if (!too_long) take(line, 0, end_);
        line->ended = line->empty_after = false;
        return true;
      }
      if (!too_long) from = 0;
    }
  }

 private:
  void take(Line *line, size_t from, size_t len) {
    line->text = buf_ + from;
    line->len = len;
  }

  // Passes over the line end at at_: CRs and then one LF, or CRs alone,
  // each of which ends a line: then all but the first end empty lines,
  // which are passed over too (they can be neither headings nor a
  // product's next line) and noted in the line. The line's text is copied
  // out first when the buffer must be refilled.
  void skip_line_end(Line *line) {
    size_t crs = 0;
    line->empty_after = false;
    for (;;) {
      while (at_ < end_ && buf_[at_] == '\r') {
        at_++;
        crs++;
      }
      if (at_ < end_) {
        if (buf_[at_] == '\n')
          at_++;
        else
          line->empty_after = crs > 1;
        return;
      }
      if (line->text != held_ && line->len <= kLineMax) {
        memcpy(held_, line->text, line->len);
        line->text = held_;
      }
      if (!fill(end_)) {
        line->empty_after = crs > 1;
        return;
      }
    }
  }

  // Drops buf_[0, drop), moving the rest to the front, and reads more
  // after it; at_ follows the move. False when nothing more could be read.
  bool fill(size_t drop) {
    if (drop > 0) {
      memmove(buf_, buf_ + drop, end_ - drop);
      base_ += static_cast<long>(drop);
      end_ -= drop;
      at_ -= drop;
    }
    size_t n = in_.read(buf_ + end_, kBufSize - end_);
    end_ += n;
    return n > 0;
  }

  Input &in_;
  long base_;  // file offset of buf_[0]
  size_t at_ = 0, end_ = 0;
  char buf_[kBufSize];
  char held_[kLineMax];
};

// The heading of a heading line: its text without the leading "** " and
// blanks and without trailing blanks. False for any other line.
bool heading_of(const Line &line, const char **head, size_t *head_len) {
  if (!line.ended || line.len > kLineMax || line.len < 18) return false;
  const char *p = line.text, *e = line.text + line.len;
  // Most lines fail at once: an ordinary heading has its two digits and a
  // blank at columns 4 to 6.
  if (p[0] != ' ' && p[0] != '*' && (!is_digit_char(p[4]) || !is_digit_char(p[5]) || p[6] != ' ')) return false;
  if (e - p >= 3 && p[0] == '*' && p[1] == '*' && p[2] == ' ') p += 3;
  while (p < e && *p == ' ') p++;
  while (e > p && e[-1] == ' ') e--;
  if (e - p < 18) return false;
  const char *q = p;
  for (int i = 0; i < 4; i++)
    if (!is_upper_char(*q++)) return false;
  if (!is_digit_char(*q++) || !is_digit_char(*q++)) return false;
  if (*q != ' ') return false;
  while (q < e && *q == ' ') q++;
  for (int i = 0; i < 4; i++)
    if (q >= e || !is_upper_char(*q++)) return false;
  if (q >= e || *q != ' ') return false;
  while (q < e && *q == ' ') q++;
  for (int i = 0; i < 6; i++)
    if (q >= e || !is_digit_char(*q++)) return false;
  if (q < e && *q != ' ') return false;
  for (; q < e; q++)
    if (*q != ' ' && !is_upper_char(*q) && !is_digit_char(*q)) return false;
  *head = p;
  *head_len = static_cast<size_t>(e - p);
  return true;
}

// Buffered output to a file descriptor; a write failure ends the program.
class Writer {
 public:
  Writer(int fd, std::string name) : fd_(fd), name_(std::move(name)) {}

  void put(const char *p, size_t n) {
    if (used_ + n > sizeof buf_) flush();
    memcpy(buf_ + used_, p, n);
    used_ += n;
  }

  // Writes what is buffered; every write holds whole entries only.
  void flush() {
    size_t done = 0;
    while (done < used_) {
      ssize_t n = write(fd_, buf_ + done, used_ - done);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) fail("write", name_, errno);
      done += static_cast<size_t>(n);
    }
    used_ = 0;
  }

 private:
  int fd_;
  std::string name_;
  size_t used_ = 0;
  char buf_[1 << 16];
};

// Formats the entry of a heading at `off` whose product's next line is
// `next` (null or not: none). The entry's text keeps to kTextMax
// characters; the next line loses its blanks at both ends and its control
// bytes, and is left out when the heading already takes the room.
std::string entry_of(long off, const char *head, size_t head_len, const Line *next) {
  std::string e = std::to_string(off);
  e += ' ';
  e.append(head, head_len);
  std::string second;
  if (next && next->len <= kLineMax) {
    for (size_t i = 0; i < next->len; i++) {
      unsigned char c = static_cast<unsigned char>(next->text[i]);
      if (c >= 0x20 && c != 0x7f) second += static_cast<char>(c);
    }
    size_t b = second.find_first_not_of(' ');
    size_t l = second.find_last_not_of(' ');
    second = b == std::string::npos ? "" : second.substr(b, l - b + 1);
  }
  if (!second.empty() && head_len + 1 < kTextMax) {
    e += '/';
    e.append(second, 0, kTextMax - head_len - 1);
  }
  e += '\n';
  return e;
}

// Calls sink(entry) for each product of the file from `start` (the file's
// current position) to its end, in order; stops when sink returns false.
// With `at_heading`, nothing is indexed unless the line at `start` is a
// heading.
template <typename Sink>
void index_lines(Input &in, long start, bool at_heading, Sink sink) {
  LineCutter lines(in, start);
  Line line;
  std::string head_text;
  long head_off = 0;
  bool pending = false;
  bool first = true;
  while (lines.next(&line)) {
    const char *head;
    size_t head_len;
    bool is_head = heading_of(line, &head, &head_len);
    if (first && at_heading && !is_head) return;
    first = false;
    if (pending) {
      pending = false;
      if (!sink(entry_of(head_off, head_text.data(), head_text.size(), is_head || !line.ended ? nullptr : &line)))
        return;
    }
    if (is_head) {
      head_text.assign(head, head_len);
      head_off = line.off;
      pending = true;
      if (line.empty_after) {  // the product's next line is empty
        pending = false;
        if (!sink(entry_of(head_off, head_text.data(), head_text.size(), nullptr))) return;
      }
    }
  }
  if (pending) sink(entry_of(head_off, head_text.data(), head_text.size(), nullptr));
}

// Writes the whole index of `in` to OUT through a temporary file in OUT's
// directory renamed into place, so that a reader sees either the old index
// or the new one, never a part.
void write_atomically(const std::string &in, const std::string &out_name) {
  Input input(in);
  size_t slash = out_name.rfind('/');
  std::string dir = slash == std::string::npos ? "." : out_name.substr(0, slash);
  std::string base = slash == std::string::npos ? out_name : out_name.substr(slash + 1);
  std::string tmp = dir + "/." + base + ".XXXXXX";
  int out = mkstemp(tmp.data());
  if (out < 0) fail("write", out_name, errno);
  temp_file = tmp;
  // The index keeps the mode of the file it replaces, else the usual one.
  struct stat st;
  mode_t mode;
  if (stat(out_name.c_str(), &st) == 0) {
    mode = st.st_mode & 07777;
  } else {
    mode_t mask = umask(0);
    umask(mask);
    mode = 0666 & ~mask;
  }
  Writer w(out, out_name);
  index_lines(input, 0, false, [&](const std::string &e) {
    w.put(e.data(), e.size());
    return true;
  });
  w.flush();
  if (fchmod(out, mode) != 0) fail("write", out_name, errno);
  if (close(out) != 0) fail("write", out_name, errno);
  if (rename(tmp.c_str(), out_name.c_str()) != 0) fail("write", out_name, errno);
  temp_file.clear();
}

// The last entry of the index `fd` of `size` bytes: where its line starts,
// its text (without the line end) and where the complete lines end (before
// an unfinished last line). False when the last kTailMax bytes hold no
// whole line.
bool last_entry(int fd, const std::string &name, off_t size, off_t *line_at, std::string *text, off_t *complete) {
  off_t from = size > static_cast<off_t>(kTailMax) ? size - static_cast<off_t>(kTailMax) : 0;
  std::string tail(static_cast<size_t>(size - from), '\0');
  size_t got = 0;
  while (got < tail.size()) {
    ssize_t n = pread(fd, tail.data() + got, tail.size() - got, from + static_cast<off_t>(got));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) fail("read", name, errno);
    if (n == 0) break;
    got += static_cast<size_t>(n);
  }
  tail.resize(got);
  size_t end = tail.rfind('\n');
  if (end == std::string::npos) return false;
  size_t begin = end == 0 ? std::string::npos : tail.rfind('\n', end - 1);
  if (begin == std::string::npos && from > 0) return false;  // a line longer than any entry
  begin = begin == std::string::npos ? 0 : begin + 1;
  *line_at = from + static_cast<off_t>(begin);
  *text = tail.substr(begin, end - begin);
  *complete = from + static_cast<off_t>(end) + 1;
  return true;
}

// Extends the index OUT of `in` with the products from its last entry on,
// in place; writes it anew (atomically) when it does not fit `in`.
void append(const std::string &in, const std::string &out_name) {
  int out = open(out_name.c_str(), O_RDWR);
  if (out < 0 && errno == ENOENT) return write_atomically(in, out_name);
  if (out < 0) fail("read", out_name, errno);
  struct stat st;
  if (fstat(out, &st) != 0) fail("read", out_name, errno);
  off_t line_at = 0, complete = 0;
  std::string last;
  long off = -1;
  if (st.st_size > 0 && last_entry(out, out_name, st.st_size, &line_at, &last, &complete)) {
    char *stop = nullptr;
    errno = 0;
    off = strtol(last.c_str(), &stop, 10);
    if (stop == last.c_str() || *stop != ' ' || errno == ERANGE || off < 0) off = -1;
  }
  bool fits = false;
  if (off >= 0) {
    Input input(in);
    input.seek(off);
    // The first product must be the one the last entry names: the same
    // heading at the same offset. Its entry is written again when it
    // changed (its product's next line had not come yet) or when an
    // unfinished line follows it; the entries after it are appended.
    Writer w(out, out_name);
    bool first = true;
    std::string head = last.substr(0, last.find('/'));
    index_lines(input, off, true, [&](const std::string &e) {
      if (!first) {
        w.put(e.data(), e.size());
        return true;
      }
      first = false;
      std::string again = e.substr(0, e.size() - 1);
      if (again.substr(0, again.find('/')) != head) return false;
      fits = true;
      bool same = again == last && complete == st.st_size;
      off_t keep = same ? st.st_size : line_at;
      if (keep != st.st_size && ftruncate(out, keep) != 0) fail("write", out_name, errno);
      if (lseek(out, keep, SEEK_SET) < 0) fail("write", out_name, errno);
      if (!same) w.put(e.data(), e.size());
      return true;
    });
    w.flush();
  }
  if (close(out) != 0) fail("write", out_name, errno);
  if (!fits) write_atomically(in, out_name);
}

}  // namespace

int main(int argc, char **argv) {
  bool append_mode = false;
  std::string out_name;
  bool have_out = false;
  const char *in = nullptr;
  bool options = true;
  for (int i = 1; i < argc; i++) {
    const char *a = argv[i];
    if (options && strcmp(a, "--") == 0) {
      options = false;
      continue;
    }
    if (options && strcmp(a, "--help") == 0) {
      fputs(kUsage, stdout);
      return 0;
    }
    if (!options || a[0] != '-' || a[1] == '\0') {
      if (in) {
        fprintf(stderr, "qelindex: one FILE only\n%s", kUsage);
        return 2;
      }
      in = a;
      continue;
    }
    for (const char *c = a + 1; *c; c++) {
      if (*c == 'h') {
        fputs(kUsage, stdout);
        return 0;
      } else if (*c == 'a') {
        append_mode = true;
      } else if (*c == 'o') {
        if (c[1]) {
          out_name = c + 1;
        } else if (i + 1 < argc) {
          out_name = argv[++i];
        } else {
          fprintf(stderr, "qelindex: -o needs a file name\n%s", kUsage);
          return 2;
        }
        have_out = true;
        break;
      } else {
        fprintf(stderr, "qelindex: unknown option -%c\n%s", *c, kUsage);
        return 2;
      }
    }
  }
  if (!in) {
    fputs(kUsage, stderr);
    return 2;
  }
  if (have_out && out_name.empty()) {
    fprintf(stderr, "qelindex: -o needs a file name\n%s", kUsage);
    return 2;
  }
  if (append_mode && !have_out) {
    fprintf(stderr, "qelindex: -a needs the index to extend (-o OUT)\n%s", kUsage);
    return 2;
  }
  std::string in_name = in;
  if (append_mode) {
    append(in_name, out_name);
  } else if (have_out) {
    write_atomically(in_name, out_name);
  } else {
    Input input(in_name);
    Writer w(1, "standard output");
    index_lines(input, 0, false, [&](const std::string &e) {
      w.put(e.data(), e.size());
      return true;
    });
    w.flush();
  }
  return 0;
}
