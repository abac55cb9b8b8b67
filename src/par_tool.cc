// par_tool.cc: the bulletin product file reader. It owns the one slot of
// the open bulletin file (with its optional header index file), the end
// conditions that close a product, the data type under which the file is
// named, and the per-call line counters, all in one record (ReaderState).
//
// Invariants: the slot's header and held line hold at most 80 characters;
// `pos` is the byte position recorded just before the last line was read
// (or set by a seek, a rewind or an index hit), so seeking back to it and
// reading returns that line again. A standard input or command that cannot
// seek is copied into a temporary file at open, so positions work on it as
// well; a gzip file (known by its first two bytes, whatever its name) is
// read from a temporary copy of its decompressed text, where positions and
// the offsets of a header index are offsets in that text.
//
// Every line of a bulletin file passes through here, so the slot reads the
// file through a buffer of its own (lines as the shared line reader cuts
// them, positions counted by the buffer) and classifies a line in one pass
// when it holds no control or high byte.

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

#include "gzip_text.h"
#include "qel.h"
#include "qelresrc.h"

namespace {

constexpr int kLineMax = 128;        // characters one read takes
constexpr int kKeptMax = 80;         // characters kept in the header or the held line
constexpr int kCandidates = 100000;  // candidates a search examines before it gives up

constexpr size_t kBufSize = 1 << 16;

// Reads lines from a stream. A line ends at a line feed, which stays for
// the next read (a read skips a line feed at its start). Carriage returns
// before a line feed belong to it (CR LF, CR CR LF: one line end, the CRs
// removed later); any other carriage return ends its line, so old Mac
// files with CR-only line ends, empty lines included, read like LF files.
// Of a line longer than `len` the rest is dropped up to its end, so that no
// piece of it is taken for a line of its own. Positions are stream offsets,
// as ftell gives them.
struct LineReader {
  FILE *f = nullptr;
  char buf[kBufSize];
  size_t at = 0;         // next byte to read in buf
  size_t end = 0;        // bytes held in buf
  long base = 0;         // stream offset of buf[0]
  bool drained = false;  // the stream has nothing more after buf
  // The last read found nothing left, or its line ran into the end of the
  // stream without a line end (a file caught while it is being written).
  bool eof = false;

  void attach(FILE *stream) {
    f = stream;
    long where = ftell(stream);
    base = where > 0 ? where : 0;
    at = end = 0;
    drained = eof = false;
  }

  long tell() const { return base + static_cast<long>(at); }

  // Makes at least `want` bytes available from `at`, unless the stream ends
  // first (or `want` exceeds the buffer).
  void ensure(size_t want) {
    if (want > kBufSize) want = kBufSize;
    if (end - at >= want || drained) return;
    if (at > 0) {
      memmove(buf, buf + at, end - at);
      base += static_cast<long>(at);
      end -= at;
      at = 0;
    }
    while (end < want && !drained) {
      clearerr(f);
      size_t n = fread(buf + end, 1, kBufSize - end, f);
      if (n == 0) drained = true;
      end += n;
    }
  }

  bool seek(long pos) {
    if (pos < 0) return false;
    eof = false;
    if (pos >= base && pos <= base + static_cast<long>(end)) {
      at = static_cast<size_t>(pos - base);
      return true;
    }
    if (fseek(f, pos, SEEK_SET) != 0) return false;
    base = pos;
    at = end = 0;
    drained = false;
    return true;
  }

  // The start of the line that holds `at_byte` (an index into buf), looking
  // back no further than `from`.
  size_t line_start(size_t from, size_t at_byte) const {
    size_t i = at_byte;
    while (i > from && buf[i - 1] != '\n' && buf[i - 1] != '\r') i--;
    return i;
  }

  // Whether the bytes from the line start `start` up to `p` are what may
  // stand before a product heading: blanks, control bytes (an RS) and a
  // "** " marker.
  bool heading_at(size_t start, size_t p) const {
    for (size_t i = start; i < p; i++) {
      unsigned char c = static_cast<unsigned char>(buf[i]);
      if (c != ' ' && c != '*' && c >= 0x20) return false;
    }
    return true;
  }

  // Copies the line that starts at buf[start] (at most `size` - 1 bytes,
  // up to its end or what buf holds) into out.
  void copy_line(size_t start, char *out, size_t size) const {
    size_t n = 0;
    while (start + n < end && n + 1 < size && buf[start + n] != '\n' && buf[start + n] != '\r') n++;
    memcpy(out, buf + start, n);
    out[n] = '\0';
  }

  // Moves reading to the start of the next line that holds `needle`,
  // passing over the lines before it without cutting them: the stream
  // offset of that line, or -1 when the stream ends first (reading then
  // stands at its end). A line passed over whose text begins with `watch`
  // (null: none), after blanks, control bytes or "** ", is copied into
  // `watched` (size bytes): the last one seen.
  long find_line(const char *needle, const char *watch, char *watched, size_t size) {
    size_t n = strlen(needle), wn = watch ? strlen(watch) : 0;
    if (at < end && buf[at] == '\n') at++;
    for (;;) {
      ensure(kBufSize);  // moves the bytes from `at` to the front of buf
      size_t from = at;  // reading stands at a line start
      const char *hit = end - at >= n ? static_cast<const char *>(memmem(buf + at, end - at, needle, n)) : nullptr;
      size_t limit = hit ? static_cast<size_t>(hit - buf) : (end - at >= n ? end - (n - 1) : at);
      if (drained && !hit) limit = end;
      // Headings among the lines passed over (a heading cut by the end of
      // buf is seen whole after the next fill: `limit` leaves it there).
      for (size_t p = at; wn && p + wn <= limit;) {
        const char *w = static_cast<const char *>(memmem(buf + p, limit - p, watch, wn));
        if (!w) break;
        size_t wi = static_cast<size_t>(w - buf), start = line_start(from, wi);
        if (heading_at(start, wi)) copy_line(start, watched, size);
        p = wi + 1;
      }
      if (hit) {
        at = line_start(from, static_cast<size_t>(hit - buf));
        return tell();
      }
      if (drained) {
        at = end;
        eof = true;
        return -1;
      }
      // Keep the bytes that may begin the needle, from the start of their
      // line; of a line longer than buf only its tail.
      size_t keep_from = line_start(from, limit);
      at = keep_from == from && limit > from ? limit : keep_from;
    }
  }

  enum Scan { kFound, kNone, kMore };

  // Looks for the end of a line in buf[from, to): kFound with *next at its
  // line feed or just past its ending carriage return. kMore when a run of
  // CRs reaches the end of what buf holds, so that more of the stream must
  // be read to tell whether a line feed follows; *next is then just past
  // the run's first CR, where the line ends if no more can be read.
  Scan find_end(size_t from, size_t to, size_t *next) const {
    const char *p = buf + from;
    const char *nl = static_cast<const char *>(memchr(p, '\n', to - from));
    const char *lim = nl ? nl : buf + to;
    const char *cr = static_cast<const char *>(memchr(p, '\r', static_cast<size_t>(lim - p)));
    if (cr) {
      size_t i = static_cast<size_t>(cr - buf), j = i + 1;
      while (j < end && buf[j] == '\r') j++;
      if (j < end && buf[j] == '\n') {  // the CRs of a CR LF or CR CR LF line end
        *next = j;
        return kFound;
      }
      *next = i + 1;
      return j == end && !drained ? kMore : kFound;
    }
    if (!nl) return kNone;
    *next = static_cast<size_t>(nl - buf);
    return kFound;
  }

  // Makes room for more of a run of CRs that reaches the end of buf (the
  // bytes from `at` are kept); false when the buffer is full.
  bool read_more() {
    if (end - at >= kBufSize) return false;
    ensure(end - at + 1);
    return true;
  }

  // Drops the rest of a long line up to its end; false when the stream
  // ended first.
  bool skip_rest() {
    for (;;) {
      ensure(2);
      if (at >= end) return false;
      size_t next;
      Scan r = find_end(at, end, &next);
      if (r == kNone) {
        at = end;
        continue;
      }
      if (r == kMore) {
        at = next - 1;  // keep the run of CRs, drop what comes before it
        if (read_more()) continue;
        next = at + 1;  // a run that fills the buffer: its first CR ends the line
      }
      at = next;
      return true;
    }
  }

  // The next line into `out` (len + 1 bytes, terminated): the bytes stored
  // (a NUL byte among them ends the line's text, ending CRs are among them),
  // or -1 when nothing is left.
  int getline(char *out, size_t len) {
    ensure(len + 2);
    if (at < end && buf[at] == '\n') at++;
    if (at >= end) {
      eof = true;
      return -1;
    }
    size_t lim, next = 0;
    Scan r;
    do {
      lim = end - at < len ? end - at : len;
      r = find_end(at, at + lim, &next);
    } while (r == kMore && read_more());
    // A line whose end lies past its first len bytes (only CRs can lie
    // there) keeps those bytes; an unfinished run of CRs that fills the
    // buffer ends the line at its first CR.
    size_t n = r != kNone && next - at < lim ? next - at : lim;
    memcpy(out, buf + at, n);
    out[n] = '\0';
    bool ended = r != kNone;
    at = ended ? next : at + n;
    if (!ended) ended = skip_rest();
    eof = !ended;
    return static_cast<int>(n);
  }
};

// True when some byte of p[0, n) is below 0x20 or at least 0x80, eight at a
// time: subtracting 0x20 from each byte sets its high bit exactly when some
// byte is below 0x20 (a borrow only spreads from such a byte).
bool has_odd_byte(const char *p, size_t n) {
  constexpr uint64_t kOnes = 0x0101010101010101ull, kHighs = 0x8080808080808080ull;
  size_t i = 0;
  for (; i + 8 <= n; i += 8) {
    uint64_t w;
    memcpy(&w, p + i, 8);
    if (((w - 0x20 * kOnes) | w) & kHighs) return true;
  }
  for (; i < n; i++) {
    unsigned char c = static_cast<unsigned char>(p[i]);
    if (c < 0x20 || c >= 0x80) return true;
  }
  return false;
}

// True when p[0, n) is blanks only.
bool all_blanks(const char *p, size_t n) {
  size_t i = 0;
  for (; i + 8 <= n; i += 8) {
    uint64_t w;
    memcpy(&w, p + i, 8);
    if (w != 0x2020202020202020ull) return false;
  }
  for (; i < n; i++)
    if (p[i] != ' ') return false;
  return true;
}

// Finishes a line of n bytes as the reader delivers it: its text ends at a
// NUL byte, and its carriage returns go (line feeds cannot be in it).
// Returns the length; *plain tells that no control or high byte is left.
size_t finish_line(char *line, size_t n, bool *plain) {
  while (n > 0 && line[n - 1] == '\r') line[--n] = '\0';
  *plain = !has_odd_byte(line, n);
  if (*plain) return n;
  n = strnlen(line, n);
  line[n] = '\0';
  if (memchr(line, '\r', n)) {
    wsstrip_string(line);
    n = strlen(line);
  }
  return n;
}

struct PAR_file {
  FILE *ifile = nullptr;   // the bulletin file; null when the slot is closed
  LineReader in;           // reads ifile
  FILE *hfile = nullptr;   // the header index file, or null
  bool own_ifile = false;  // false for standard input, which is never closed here
  Date date{};
  long pos = 0;
  char header[kKeptMax + 1] = "";
  char header2[kKeptMax + 1] = "";
  char line[kKeptMax + 1] = "";     // the held line
  char product[kKeptMax + 1] = "";  // the heading the last search found
  // The last line of the file when it had no line end (not delivered: it
  // may be half written), as the last read found it.
  char unfinished[kLineMax + 1] = "";
  unsigned long cur = 0;
};

// The reader's state, one for the process.
struct ReaderState {
  PAR_file pfiles[1];    // the one slot
  int end = 0;           // mask of the end conditions that close a product (PAR_set_end)
  char infile[30] = "";  // the data type under which the bulletin file is named
  int max_lines = 0;     // line limit of PAR_END_MAX_LINES (nothing sets it)
  int cur_lines = 0;     // lines evaluated in the current read call
  int blank_lines = 0;   // blank lines in a row in the current read call
  // A search or read that gave up after 100000 lines warns once per run: a
  // long file gives up again and again and goes on each time.
  bool loop_warned = false;
  // The copy of a standard input that cannot seek or is gzip, made at the
  // first open and kept for the whole process (see text_stream).
  FILE *stdin_copy = nullptr;
  // Likewise the text of the "|command" read last and its name: a run
  // opens its file more than once (the family found from the file, the
  // compact line's two stations, a list of stations), and the command runs
  // once (its output, or its side effects, may differ from run to run).
  FILE *command_copy = nullptr;
  std::string command_name;
  // The gzip files whose damage was reported: each is named once a run,
  // however often it is opened.
  std::vector<std::string> damaged;
};

ReaderState rd;

PAR_file *slot(int ind) { return ind == 0 ? &rd.pfiles[0] : nullptr; }

PAR_file *open_slot(int ind) {
  PAR_file *s = slot(ind);
  return s && s->ifile ? s : nullptr;
}

void warn_loop() {
  if (rd.loop_warned) return;
  rd.loop_warned = true;
  MESS_print(M_WARN, "Caught in search loop\n");
}

void keep(char *dst, const char *src) { str_copy(dst, src, kKeptMax + 1); }

void trace_slot(M_type level, const char *tag, const PAR_file &s, const char *text) {
  MESS_print(level, "%s:%3X:%6ld:%-20.20s:%-10.10s:%-10.10s:\n", tag, static_cast<unsigned>(s.cur), s.pos, text,
             s.header, s.line);
}

// Closes a stream that FILE_open gave: a command's output (`command`) is
// closed with pclose, which also waits for the command.
void close_opened(FILE *f, bool command) {
  if (command)
    pclose(f);
  else
    fclose(f);
}

void close_streams(PAR_file *s) {
  if (s->ifile && s->own_ifile) fclose(s->ifile);
  if (s->hfile) fclose(s->hfile);
  s->ifile = nullptr;
  s->hfile = nullptr;
  s->own_ifile = false;
}

// Reads one line of the index file into `buf` (the rest of a longer line is
// dropped). Returns -1 at the end of the index, else 0.
int read_index_line(FILE *f, char *buf, int size) {
  if (!fgets(buf, size, f)) return -1;
  size_t n = strlen(buf);
  if (n > 0 && buf[n - 1] == '\n') {
    buf[n - 1] = '\0';
  } else if (!feof(f)) {
    int c;
    while ((c = getc(f)) != EOF && c != '\n') {
    }
  }
  return 0;
}

// Splits an index line into its offset and the start of its header text
// (blanks before it skipped). Null when the line holds no offset. An
// offset of plain digits is read here, any other form by strtol.
const char *parse_index_line(const char *buf, long *off) {
  const char *p = buf;
  int digits = 0;
  long value = 0;
  while (digits < 18 && is_digit_char(p[digits])) value = value * 10 + (p[digits++] - '0');
  if (digits > 0 && !is_digit_char(p[digits])) {
    *off = value;
    p += digits;
  } else {
    char *stop = nullptr;
    errno = 0;
    *off = strtol(p, &stop, 10);
    if (stop == p || errno == ERANGE) return nullptr;
    p = stop;
  }
  while (is_space_char(*p)) p++;
  return p;
}

// Whether `name` is an existing file that is not a directory.
bool is_plain_file(const char *name) {
  struct stat st;
  return name[0] && stat(name, &st) == 0 && !S_ISDIR(st.st_mode);
}

// Whether two names are one file.
bool same_file(const char *a, const char *b) {
  struct stat sa, sb;
  return stat(a, &sa) == 0 && stat(b, &sb) == 0 && sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

// Names a bulletin file that cannot be read, with the reason.
void cannot_read(const char *name, int err) {
  char prog[20];
  RES_get_progname(prog);
  MESS_print(M_WARN, "%s: cannot read %s: %s\n", prog, name, err ? strerror(err) : "not opened");
}

// Whether an opened bulletin file can be read (a directory opens but holds
// no lines). A file that cannot be opened or read is named with the reason,
// so that a wrong name does not look like a missing station. `f` is null
// after a failed open, with the reason in errno; a directory is closed here.
bool readable(FILE *f, const char *name) {
  int err = errno;
  struct stat st;
  if (f && f != stdin && name[0] != '|' && fstat(fileno(f), &st) == 0 && S_ISDIR(st.st_mode)) {
    fclose(f);
    f = nullptr;
    err = EISDIR;
  }
  if (f) return true;
  cannot_read(name, err);
  return false;
}

// Whether a stream can seek, as a file can and a pipe cannot.
bool can_seek(FILE *f) { return ftell(f) >= 0 && fseek(f, 0, SEEK_CUR) == 0; }

// Whether the next two bytes of a stream that can seek are gzip's; the
// stream does not move.
bool gzip_ahead(FILE *f) {
  unsigned char magic[2];
  return pread(fileno(f), magic, 2, ftell(f)) == 2 && qelgz::is_gzip(magic, 2);
}

// Names a gzip file whose data is damaged or cut off, once a run.
void report_damage(const char *label, const std::string &why) {
  for (const std::string &d : rd.damaged)
    if (d == label) return;
  rd.damaged.emplace_back(label);
  char prog[20];
  RES_get_progname(prog);
  MESS_print(M_WARN, "%s: %s: damaged gzip data (%s): reading the text before it\n", prog, label, why.c_str());
}

// Copies the rest of `f` into `tmp`: its text decompressed when `gzip`,
// else its bytes, in both cases after the `held` bytes already taken from
// it into `head`. False when the copy failed (errno tells why); damaged
// gzip data ends the text where it stops decompressing cleanly.
bool copy_text(FILE *f, FILE *tmp, const unsigned char *head, size_t held, bool gzip, const char *label) {
  char buf[1 << 16];
  size_t n;
  if (!gzip) {
    if (fwrite(head, 1, held, tmp) != held) return false;
    while ((n = fread(buf, 1, sizeof buf, f)) > 0)
      if (fwrite(buf, 1, n, tmp) != n) return false;
    if (ferror(f)) return false;
    return fflush(tmp) == 0;
  }
  qelgz::Inflater text;
  size_t given = 0;
  auto source = [&](unsigned char *p, size_t size) -> long {
    if (given < held) {
      size_t k = held - given < size ? held - given : size;
      memcpy(p, head + given, k);
      given += k;
      return static_cast<long>(k);
    }
    size_t got = fread(p, 1, size, f);
    return got > 0 || !ferror(f) ? static_cast<long>(got) : -1;
  };
  while ((n = text.read(buf, sizeof buf, source)) > 0)
    if (fwrite(buf, 1, n, tmp) != n) return false;
  if (fflush(tmp) != 0) return false;
  if (!text.reason().empty()) report_damage(label, text.reason());
  return true;
}

// The stream the reader reads for the opened bulletin file `f` of `name`
// (*own: the reader closes it), or null, the file named with the reason,
// when it cannot be read. A file of plain text that can seek is read as it
// is: the look at its first two bytes is all it pays. A stream that cannot
// seek (a pipe on standard input, a command) is copied into a temporary
// file, so that rewinds and saved positions work on it too, and gzip data,
// from a file or a stream, is decompressed into one. Without room for the
// copy the open fails: reading the stream as it is would lose every
// position sought back, or read compressed bytes.
//
// Standard input can be read only once, but every retrieval of a run opens
// it again (the compact line needs two): its copy is made once and kept for
// the whole process. The temporary files vanish when the process ends.
FILE *text_stream(FILE *f, const char *name, bool *own) {
  if (f == stdin && rd.stdin_copy) {
    rewind(rd.stdin_copy);
    *own = false;
    return rd.stdin_copy;
  }
  bool seeks = can_seek(f);
  if (seeks && !gzip_ahead(f)) return f;
  const char *label = FILE_is_stdio(name) ? "standard input" : name;
  FILE *tmp = tmpfile();
  bool copied = tmp != nullptr;
  if (copied) {
    // The first two bytes of a stream that cannot seek tell whether it is gzip.
    unsigned char head[2];
    size_t held = seeks ? 0 : fread(head, 1, sizeof head, f);
    copied = copy_text(f, tmp, head, held, seeks || qelgz::is_gzip(head, held), label);
  }
  int err = errno;
  if (f != stdin) close_opened(f, name[0] == '|');
  if (!copied) {
    if (tmp) fclose(tmp);
    cannot_read(label, err);
    return nullptr;
  }
  rewind(tmp);
  *own = f != stdin;
  if (f == stdin) rd.stdin_copy = tmp;
  return tmp;
}

}  // namespace

int PAR_set_in_file(const char *str) {
  str_copy(rd.infile, str ? str : "", sizeof rd.infile);
  return 0;
}

int PAR_set_end(int flag) {
  rd.end = flag;
  return 0;
}

int PAR_open(Date *date) {
  PAR_file *s = &rd.pfiles[0];
  close_streams(s);  // opening again reuses the slot
  // The selection found no file (a latest search that found nothing, a
  // refused command): nothing is opened, not even the name tried last.
  if (FILE_none_chosen()) return -1;
  FILE_save_name_conv();

  char name[QEL_NAME_LEN];
  FILE_get_filename(name);
  if (FILE_is_stdio(name)) rd.infile[0] = '\0';
  // A file the user named is read as named when its name carries no date
  // (making it again from the unset date would open another file), and
  // when the user gave the run with "#" to a file of another name
  // ("mybulletins.txt#2014010100"): the date then chooses the run, not the file.
  bool user_named = FILE_get_filename_type() == 1;
  bool as_named = user_named && (!date || date->year == QEL_MISS);
  if (rd.infile[0] && !as_named) {
    char named[QEL_NAME_LEN];
    str_copy(named, name, sizeof named);
    char type[sizeof rd.infile];
    str_copy(type, rd.infile, sizeof type);
    FILE_set_name(type);
    FILE_set_date(date, name);
    if (user_named && strcmp(name, named) != 0 && is_plain_file(named) && !same_file(name, named)) {
      str_copy(name, named, sizeof name);
      as_named = true;
    }
  }
  MESS_print(M_MESS, "Parsing: %s\n", name);

  // A command runs only as the user wrote it, never as a template made it.
  if (name[0] == '|' && !FILE_user_command(name)) {
    MESS_print(M_WARN, "Command not run: %s (made by a naming template)\n", name);
    FILE_restore_name_conv();
    return -1;
  }
  FILE *f = nullptr;
  bool own = false;
  if (name[0] == '|' && rd.command_copy && rd.command_name == name) {
    f = rd.command_copy;  // the command's text of this run
    rewind(f);
  } else {
    f = FILE_open(name, "r");
    if (!readable(f, name)) {
      FILE_restore_name_conv();
      return -1;
    }
    own = f != stdin;
    f = text_stream(f, name, &own);
    if (!f) {
      FILE_restore_name_conv();
      return -1;
    }
    if (name[0] == '|' && own) {
      if (rd.command_copy) fclose(rd.command_copy);
      rd.command_copy = f;
      rd.command_name = name;
      own = false;
    }
  }
  s->ifile = f;
  s->own_ifile = own;
  s->in.attach(s->ifile);

  char hname[QEL_NAME_LEN];
  FILE_get_filename(hname);
  if (rd.infile[0] && !as_named && FILE_hdr_set_date(date, hname) && !FILE_is_stdio(hname)) {
    // An index name is always made by a template: it never runs a command.
    if (hname[0] == '|')
      MESS_print(M_WARN, "Command not run: %s (a header index name)\n", hname);
    else
      s->hfile = FILE_open(hname, "r");
  }

  if (date) s->date = *date;
  s->header[0] = s->header2[0] = s->line[0] = s->product[0] = s->unfinished[0] = '\0';
  s->cur = 0;
  s->pos = 0;
  FILE_restore_name_conv();
  return 0;
}

int PAR_close(int ind) {
  PAR_file *s = open_slot(ind);
  if (!s) return 0;
  close_streams(s);
  return 1;
}

int PAR_rewind(int ind) {
  PAR_file *s = open_slot(ind);
  if (!s) return 0;
  s->in.seek(0);
  if (s->hfile) rewind(s->hfile);
  s->cur = 0;
  s->pos = 0;
  return 1;
}

int PAR_seek(int ind, long pos) {
  PAR_file *s = open_slot(ind);
  if (!s || !s->in.seek(pos)) return 0;
  s->cur = 0;
  s->pos = pos;
  // The held line belongs to where reading stopped, not to `pos`: the next
  // read must return the line found at `pos`. A pending header stays.
  s->line[0] = '\0';
  return 1;
}

long PAR_get_pos(int ind) {
  PAR_file *s = open_slot(ind);
  return s ? s->pos : -1;
}

const char *PAR_get_product(int ind) {
  PAR_file *s = open_slot(ind);
  return s ? s->product : "";
}

const char *PAR_unfinished(int ind) {
  PAR_file *s = open_slot(ind);
  return s ? s->unfinished : "";
}

int PAR_get_status(int ind) {
  PAR_file *s = slot(ind);
  return s ? static_cast<int>(s->cur) : 0;
}

namespace {

// PAR_end on a line of known length; `plain` when the line is known to hold
// no control or high byte.
unsigned long classify(PAR_file *s, char *line, size_t len, bool plain) {
  rd.cur_lines++;
  unsigned long r = 0;
  if (s && s->ifile && s->in.eof) {
    r = PAR_END_PRODUCT;
  } else if (line[0] == 0x03 || line[0] == 0x01) {
    r = PAR_END_PRODUCT;
  } else if (line[0] == '*' && line[1] == '*' && line[2] == ' ') {
    r = PAR_NEXT_HEADER;
  } else {
    // Cleaning changes only control and high bytes, which count as blank
    // before and after it: a plain line needs no cleaning, and it is blank
    // when it is blanks only.
    bool blank;
    if (plain || !has_odd_byte(line, len)) {
      blank = all_blanks(line, len);
    } else {
      clean_line(line);
      len = strlen(line);
      blank = string_is_blank(line);
    }
    if (blank)
      rd.blank_lines++;
    else
      rd.blank_lines = 0;
    if ((rd.end & PAR_END_MAX_LINES) && rd.cur_lines > rd.max_lines)
      r = PAR_END_MAX_LINES;
    else if ((rd.end & PAR_END_BLANK) && rd.blank_lines > 0)
      r = PAR_END_BLANK;
    else if ((rd.end & PAR_END_BLANKS) && rd.blank_lines > 2)
      r = PAR_END_BLANKS;
    else if ((rd.end & PAR_END_DOLLARS) && line[0] == '$' && line[1] == '$')
      r = PAR_END_DOLLARS;
    else if ((rd.end & PAR_END_EQUALS) && len > 0 && line[len - 1] == '=')
      r = PAR_END_EQUALS;
  }
  if (s) s->cur = r;
  return r;
}

}  // namespace

unsigned long PAR_end(int ind, char *line) {
  char empty[1] = "";
  if (!line) line = empty;
  return classify(slot(ind), line, strlen(line), false);
}

namespace {

// A quick first test of search candidates, so that most lines of a file
// without an index never reach the header matcher: the characters the
// first character of a header may be, once the "** " marker and blanks
// that PAR_cmp passes over are skipped, for `pattern` to match it. `any`
// when the pattern may start with any character, or when the test does
// not apply ("all", "/", "*", "-", an empty pattern or alternative, an
// unclosed class or group).
struct FirstChars {
  bool any = true;
  bool may[256] = {};
};

FirstChars first_chars(const char *pat) {
  FirstChars f;
  if (!pat[0] || stricmp(pat, "all") == 0) return f;
  auto members = [&f](const char *first, const char *close, bool negate) {
    for (int c = 1; c < 256; c++)
      f.may[c] = (memchr(first, c, static_cast<size_t>(close - first)) != nullptr) != negate;
  };
  switch (pat[0]) {
    case '/':
    case '*':
    case '-':
    case '.':
    case '?': return f;
    case '[': {
      const char *close = strchr(pat + 1, ']');
      if (!close) return f;
      bool negate = pat[1] == '^';
      members(pat + (negate ? 2 : 1), close, negate);
      break;
    }
    case '(': {
      // The group's end and alternatives as the matcher cuts them: a class
      // is taken whole, "|" and ")" in it are members.
      const char *close = pat + 1;
      for (; *close && *close != ')'; close++)
        if (*close == '[' && !(close = strchr(close + 1, ']'))) return f;
      if (!*close) return f;
      for (const char *a = pat + 1;;) {
        const char *b = a;
        while (b < close && *b != '|') {
          if (*b == '[') b = strchr(b + 1, ']');
          b++;
        }
        if (a == b || *a == '.' || *a == '?') return FirstChars{};
        if (*a == '[') {
          const char *end = strchr(a + 1, ']');
          for (const char *m = a + 1; m < end; m++) f.may[static_cast<unsigned char>(*m)] = true;
        } else {
          f.may[static_cast<unsigned char>(*a)] = true;
        }
        if (b >= close) break;
        a = b + 1;
      }
      break;
    }
    default: f.may[static_cast<unsigned char>(pat[0])] = true;
  }
  f.may[0] = false;
  f.any = false;
  return f;
}

// Whether a candidate line, as read (`n` bytes, before its carriage returns
// go), cannot match: its first character after the marker and blanks is
// not one the pattern may start with. A line whose bytes up to that
// character hold a CR or NUL, or that is empty after them, is left to the
// matcher.
bool cannot_match(const FirstChars &f, const char *raw, int n) {
  if (f.any) return false;
  const char *t = raw, *e = raw + n;
  if (n >= 1 && t[0] == '*') {
    for (int i = 1; i < 3 && i < n; i++)
      if (t[i] == '\r' || t[i] == '\0') return false;
    if (n >= 2 && t[1] == '*') t += n >= 3 ? 3 : 2;
  }
  while (t < e && *t == ' ') t++;
  if (t >= e || *t == '\r' || *t == '\0') return false;
  return !f.may[static_cast<unsigned char>(*t)];
}

}  // namespace

int PAR_search(int ind, const char *rhdr) {
  PAR_file *s = open_slot(ind);
  if (!s) return -1;
  std::string pattern(rhdr ? rhdr : "");
  up_string(pattern.data());
  const char *pat = pattern.c_str();
  trace_slot(M_DEBUGC, "SE--", *s, "----");

  char cand[kLineMax + 1] = "";
  // Without traces, candidates that cannot match are passed over unmatched.
  const FirstChars first = MESS_check(M_DEBUGC) ? FirstChars{} : first_chars(pat);
  int raw = -1;  // length of the last candidate when it was passed over as read
  for (int n = 0; n < kCandidates; n++) {
    if (s->hfile) {
      char entry[512];
      if (read_index_line(s->hfile, entry, sizeof entry) < 0) {
        s->line[0] = s->header[0] = '\0';
        return -1;
      }
      long off = 0;
      const char *text = parse_index_line(entry, &off);
      if (!text) continue;
      size_t len = strlen(text);
      // The header text ends at the first "/" (or at the cut to 128 characters).
      size_t head = strcspn(text, "/");
      if (cannot_match(first, text, static_cast<int>(head < kLineMax ? head : kLineMax))) continue;
      str_copy(cand, text, sizeof cand);  // at most 128 characters, CRs removed
      if (memchr(text, '\r', len)) wsstrip_string(cand);
      char *slash = strchr(cand, '/');
      const char *second = "";
      if (slash) {
        *slash = '\0';
        second = slash + 1;
      }
      if (PAR_cmp(cand, second, pat) != 0) continue;
      // An offset outside the bulletin file names no product: the entry is passed over.
      char found[kLineMax + 1];
      if (!s->in.seek(off)) continue;
      s->pos = off;
      int n = s->in.getline(found, kLineMax);
      if (n < 0) continue;
      bool plain;
      finish_line(found, static_cast<size_t>(n), &plain);
      trace_slot(M_DEBUGC, "SE-1", *s, found);
      keep(s->header, found);
      keep(s->product, found);
      s->line[0] = '\0';
      s->cur = PAR_HEADER_FOUND;
      return 1;
    }

    if (s->header[0] == '\0') {
      s->pos = s->in.tell();
      int n = s->in.getline(cand, kLineMax);
      if (n < 0) {
        s->cur = PAR_END_PRODUCT;
        s->header[0] = s->line[0] = '\0';
        return -1;
      }
      if (cannot_match(first, cand, n)) {
        raw = n;
        continue;
      }
      raw = -1;
      bool plain;
      finish_line(cand, static_cast<size_t>(n), &plain);
      trace_slot(M_DEBUGC, "SE-2", *s, cand);
    } else {
      str_copy(cand, s->header, sizeof cand);  // the "** " header a read kept
    }
    if (PAR_cmp(cand, "", pat) == 0) {
      keep(s->header, cand);
      keep(s->product, cand);
      s->line[0] = '\0';
      s->cur = PAR_HEADER_FOUND;
      trace_slot(M_DEBUGC, "SE-$", *s, "----");
      return 1;
    }
    s->header[0] = '\0';
  }
  if (raw >= 0) {
    bool plain;
    finish_line(cand, static_cast<size_t>(raw), &plain);
  }
  warn_loop();
  trace_slot(M_DEBUGC, "SE-!", *s, cand);
  trace_slot(M_DEBUGC, "SE-!", *s, "----");
  return 0;
}

int PAR_read(int ind, int flag, int num, char *line) {
  PAR_file *s = slot(ind);
  if (s)
    MESS_print(M_DEBUGC, "RD--:%3X:%6ld:%-20.20s:%-10.10s:%-10.10s:%d:\n", static_cast<unsigned>(s->cur), s->pos,
               "----", s->header, s->line, num);
  if (!line) return -1;
  if (!s || !s->ifile) {
    line[0] = '\0';
    return -1;
  }
  rd.cur_lines = rd.blank_lines = 0;
  int onum = 0;
  bool deliver = true;
  line[0] = '\0';

  // The header found by the search comes first and stays pending.
  if (s->header[0]) {
    if (num == 0) {
      str_copy(line, s->header, kLineMax + 1);
      return 1;
    }
    onum = 1;
  }

  // The held line, which ended the previous part, is evaluated again.
  if (s->line[0]) {
    unsigned long r = PAR_end(ind, s->line);
    if (r == PAR_END_BLANK) {
      // A separator of blanks is passed over like an empty one, so the line
      // after it (the next station's heading) is delivered.
      s->line[0] = '\0';
      rd.cur_lines = rd.blank_lines = 0;
    } else if (r != 0) {
      deliver = false;
    } else if (onum == num) {
      str_copy(line, s->line, kLineMax + 1);
      return 1;
    } else {
      onum++;
      rd.cur_lines++;
    }
  }

  // A last line without a line end is classified as the end of the file
  // (status 4) and not delivered: it may be half written.
  char buf[kLineMax + 1];
  s->pos = s->in.tell();
  int got = s->in.getline(buf, kLineMax);
  if (got < 0) {
    s->cur = PAR_END_PRODUCT;
    return -1;
  }
  bool plain;
  size_t len = finish_line(buf, static_cast<size_t>(got), &plain);
  unsigned long r = classify(s, buf, len, plain);
  if (s->in.eof) str_copy(s->unfinished, buf, sizeof s->unfinished);
  s->header[0] = '\0';
  trace_slot(M_DEBUGC, "RD-1", *s, buf);
  if (r != 0) deliver = false;
  if (deliver) {
    memcpy(line, buf, strlen(buf) + 1);
    return 1;
  }

  if (num == kCandidates) {
    warn_loop();
    trace_slot(M_DEBUGC, "RD-*", *s, buf);
    return 0;
  }
  if (s->cur == PAR_END_EQUALS) {
    str_copy(line, buf, kLineMax + 1);
    return 0;
  }
  if (s->cur & PAR_HEADER_FOUND) {  // a "** " line: the next header
    keep(s->header, buf);
    s->line[0] = '\0';
  } else {
    keep(s->line, buf);
    s->header[0] = '\0';
  }
  if (flag == 1) PAR_close(ind);
  trace_slot(M_DEBUGC, "RD-$", *s, "----");
  return 0;
}

int PAR_find(int ind, const char *needle, const char *watch) {
  PAR_file *s = open_slot(ind);
  if (!s || !needle || !*needle) return -1;
  char heading[kKeptMax + 1] = "";
  long off = s->in.find_line(needle, watch && *watch ? watch : nullptr, heading, sizeof heading);
  if (heading[0]) {
    bool plain;
    finish_line(heading, strlen(heading), &plain);
    keep(s->product, heading);
  }
  s->header[0] = s->line[0] = '\0';
  s->cur = 0;
  if (off < 0) {
    s->cur = PAR_END_PRODUCT;
    return -1;
  }
  s->pos = off;
  return 1;
}
