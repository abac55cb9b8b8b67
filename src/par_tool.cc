// par_tool.cc: the bulletin product file reader. It owns the one slot of
// the open bulletin file (with its optional header index file), the end
// conditions that close a product, the data type under which the file is
// named, and the per-call line counters.
//
// Invariants: the slot's header and held line hold at most 80 characters;
// `pos` is the byte position recorded just before the last line was read
// (or set by a seek, a rewind or an index hit), so seeking back to it and
// reading returns that line again. A standard input that cannot seek is
// copied into a temporary file at open, so positions work on it as well.

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

#include "qel.h"

namespace {

constexpr int kLineMax = 128;       // characters one read takes
constexpr int kKeptMax = 80;        // characters kept in the header or the held line
constexpr int kCandidates = 100000; // candidates a search examines before it gives up

constexpr unsigned long kEndFile = 4;
constexpr unsigned long kNextHeader = 5;
constexpr unsigned long kMaxLines = 0x10;
constexpr unsigned long kBlank = 0x100;
constexpr unsigned long kBlanks = 0x200;
constexpr unsigned long kDollars = 0x400;
constexpr unsigned long kEquals = 0x800;

struct PAR_file {
  FILE *ifile = nullptr;  // the bulletin file; null when the slot is closed
  FILE *hfile = nullptr;  // the header index file, or null
  bool own_ifile = false; // false for standard input, which is never closed here
  Date date{};
  long pos = 0;
  char header[kKeptMax + 1] = "";
  char header2[kKeptMax + 1] = "";
  char line[kKeptMax + 1] = "";  // the held line
  unsigned long cur = 0;
};

PAR_file pfiles[1];
int end = 0;
char infile[30] = "";
int max_lines = 0;
int cur_lines = 0;
int blank_lines = 0;

PAR_file *slot(int ind) { return ind == 0 ? &pfiles[0] : nullptr; }

PAR_file *open_slot(int ind) {
  PAR_file *s = slot(ind);
  return s && s->ifile ? s : nullptr;
}

void keep(char *dst, const char *src) { str_copy(dst, src, kKeptMax + 1); }

void trace(M_type level, const char *tag, const PAR_file &s, const char *text) {
  MESS_print(level, "%s:%3X:%6ld:%-20.20s:%-10.10s:%-10.10s:\n", tag, static_cast<unsigned>(s.cur), s.pos, text,
             s.header, s.line);
}

void close_streams(PAR_file *s) {
  if (s->ifile && s->own_ifile) fclose(s->ifile);
  if (s->hfile) fclose(s->hfile);
  s->ifile = nullptr;
  s->hfile = nullptr;
  s->own_ifile = false;
}

// A stream that cannot seek (a pipe on standard input) is copied into a
// temporary file, so that rewinds and saved positions work on it too.
// Returns the stream to read; *own tells whether the reader closes it.
FILE *seekable(FILE *f, bool *own) {
  if (ftell(f) >= 0 && fseek(f, 0, SEEK_CUR) == 0) return f;
  FILE *tmp = tmpfile();
  if (!tmp) return f;
  char buf[65536];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, f)) > 0)
    if (fwrite(buf, 1, n, tmp) != n) break;
  if (f != stdin) fclose(f);
  rewind(tmp);
  *own = true;
  return tmp;
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

// Splits an index line into its offset and header text (at most 128
// characters, CR removed). False when the line holds no offset.
bool parse_index_line(const char *buf, long *off, char *text, int size) {
  const char *p = buf;
  char *stop = nullptr;
  errno = 0;
  *off = strtol(p, &stop, 10);
  if (stop == p || errno == ERANGE) return false;
  p = stop;
  while (*p == ' ' || *p == '\t' || *p == '\r' || *p == '\n' || *p == '\v' || *p == '\f') p++;
  str_copy(text, p, static_cast<size_t>(size));
  wsstrip_string(text);
  return true;
}

}  // namespace

int PAR_set_in_file(const char *str) {
  str_copy(infile, str ? str : "", sizeof infile);
  return 0;
}

int PAR_set_end(int flag) {
  end = flag;
  return 0;
}

int PAR_open(Date *date) {
  PAR_file *s = &pfiles[0];
  close_streams(s);  // opening again reuses the slot
  FILE_save_name_conv();

  char name[QEL_NAME_LEN];
  FILE_get_filename(name);
  if (FILE_is_stdio(name)) infile[0] = '\0';
  if (infile[0]) {
    char type[sizeof infile];
    str_copy(type, infile, sizeof type);
    FILE_set_name(type);
    FILE_set_date(date, name);
  }
  MESS_print(M_MESS, "Parsing: %s\n", name);

  FILE *f = FILE_open(name, "r");
  if (!f) {
    FILE_restore_name_conv();
    return -1;
  }
  bool own = f != stdin;
  s->ifile = seekable(f, &own);
  s->own_ifile = own;

  char hname[QEL_NAME_LEN];
  FILE_get_filename(hname);
  if (infile[0] && FILE_hdr_set_date(date, hname) && !FILE_is_stdio(hname)) s->hfile = FILE_open(hname, "r");

  if (date) s->date = *date;
  s->header[0] = s->header2[0] = s->line[0] = '\0';
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
  rewind(s->ifile);
  if (s->hfile) rewind(s->hfile);
  s->cur = 0;
  s->pos = 0;
  return 1;
}

int PAR_seek(int ind, long pos) {
  PAR_file *s = open_slot(ind);
  if (!s || fseek(s->ifile, pos, SEEK_SET) != 0) return 0;
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

int PAR_get_status(int ind) {
  PAR_file *s = slot(ind);
  return s ? static_cast<int>(s->cur) : 0;
}

unsigned long PAR_end(int ind, char *line) {
  PAR_file *s = slot(ind);
  char empty[1] = "";
  if (!line) line = empty;
  cur_lines++;
  unsigned long r = 0;
  if (s && s->ifile && feof(s->ifile)) {
    r = kEndFile;
  } else if (line[0] == 0x03 || line[0] == 0x01) {
    r = kEndFile;
  } else if (strncmp(line, "** ", 3) == 0) {
    r = kNextHeader;
  } else {
    clean_line(line);
    if (string_is_blank(line))
      blank_lines++;
    else
      blank_lines = 0;
    if ((end & kMaxLines) && cur_lines > max_lines)
      r = kMaxLines;
    else if ((end & kBlank) && blank_lines > 0)
      r = kBlank;
    else if ((end & kBlanks) && blank_lines > 2)
      r = kBlanks;
    else if ((end & kDollars) && line[0] == '$' && line[1] == '$')
      r = kDollars;
    else if ((end & kEquals) && line[0] && line[strlen(line) - 1] == '=')
      r = kEquals;
  }
  if (s) s->cur = r;
  return r;
}

int PAR_search(int ind, const char *rhdr) {
  PAR_file *s = open_slot(ind);
  if (!s) return -1;
  std::string pattern(rhdr ? rhdr : "");
  up_string(pattern.data());
  const char *pat = pattern.c_str();
  trace(M_DEBUGC, "SE--", *s, "----");

  char cand[kLineMax + 1] = "";
  for (int n = 0; n < kCandidates; n++) {
    if (s->hfile) {
      char entry[512];
      if (read_index_line(s->hfile, entry, sizeof entry) < 0) {
        s->line[0] = s->header[0] = '\0';
        return -1;
      }
      long off = 0;
      if (!parse_index_line(entry, &off, cand, sizeof cand)) continue;
      char *slash = strchr(cand, '/');
      const char *second = "";
      if (slash) {
        *slash = '\0';
        second = slash + 1;
      }
      if (PAR_cmp(cand, second, pat) != 0) continue;
      // An offset outside the bulletin file names no product: the entry is passed over.
      char found[kLineMax + 1];
      if (fseek(s->ifile, off, SEEK_SET) != 0) continue;
      s->pos = off;
      if (fgetnline(s->ifile, found, kLineMax) < 0) continue;
      wsstrip_string(found);
      trace(M_DEBUGC, "SE-1", *s, found);
      keep(s->header, found);
      s->line[0] = '\0';
      s->cur = 1;
      return 1;
    }

    if (s->header[0] == '\0') {
      s->pos = ftell(s->ifile);
      if (fgetnline(s->ifile, cand, kLineMax) < 0) {
        s->cur = kEndFile;
        s->header[0] = s->line[0] = '\0';
        return -1;
      }
      wsstrip_string(cand);
      trace(M_DEBUGC, "SE-2", *s, cand);
    } else {
      str_copy(cand, s->header, sizeof cand);  // the "** " header a read kept
    }
    if (PAR_cmp(cand, "", pat) == 0) {
      keep(s->header, cand);
      s->line[0] = '\0';
      s->cur = 1;
      trace(M_DEBUGC, "SE-$", *s, "----");
      return 1;
    }
    s->header[0] = '\0';
  }
  MESS_print(M_WARN, "Caught in search loop\n");
  trace(M_WARN, "SE-!", *s, cand);
  trace(M_DEBUGC, "SE-!", *s, "----");
  return 0;
}

int PAR_read(int ind, int flag, int num, char *line) {
  PAR_file *s = slot(ind);
  if (s) MESS_print(M_DEBUGC, "RD--:%3X:%6ld:%-20.20s:%-10.10s:%-10.10s:%d:\n", static_cast<unsigned>(s->cur),
                    s->pos, "----", s->header, s->line, num);
  if (!s || !s->ifile) {
    if (line) line[0] = '\0';
    return -1;
  }
  cur_lines = blank_lines = 0;
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
    if (r == kBlank) {
      // A separator of blanks is passed over like an empty one, so the line
      // after it (the next station's heading) is delivered.
      s->line[0] = '\0';
      cur_lines = blank_lines = 0;
    } else if (r != 0) {
      deliver = false;
    } else if (onum == num) {
      str_copy(line, s->line, kLineMax + 1);
      return 1;
    } else {
      onum++;
      cur_lines++;
    }
  }

  char buf[kLineMax + 1];
  s->pos = ftell(s->ifile);
  if (fgetnline(s->ifile, buf, kLineMax) < 0) {
    s->cur = kEndFile;
    return -1;
  }
  // A last line without terminator is judged by its content like any other;
  // the end of the file is reported by the next read.
  if (feof(s->ifile)) clearerr(s->ifile);
  wsstrip_string(buf);
  unsigned long r = PAR_end(ind, buf);
  s->header[0] = '\0';
  trace(M_DEBUGC, "RD-1", *s, buf);
  if (r != 0) deliver = false;
  if (deliver) {
    str_copy(line, buf, kLineMax + 1);
    return 1;
  }

  if (num == kCandidates) {
    MESS_print(M_WARN, "Caught in search loop\n");
    trace(M_DEBUGC, "RD-*", *s, buf);
    return 0;
  }
  if (s->cur == kEquals) {
    str_copy(line, buf, kLineMax + 1);
    return 0;
  }
  if (s->cur & 1) {
    keep(s->header, buf);
    s->line[0] = '\0';
  } else {
    keep(s->line, buf);
    s->header[0] = '\0';
  }
  if (flag == 1) PAR_close(ind);
  trace(M_DEBUGC, "RD-$", *s, "----");
  return 0;
}
