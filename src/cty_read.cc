// cty_read.cc: the city database file and its records. One database file
// is open at a time; its descriptor is the handle every call checks, so a
// stale or made-up handle reads nothing.
//
// A record is one line of ten blank-separated fields. Each field is cut to
// the room its member has and the rest of the word dropped, so a long name
// never shifts the fields after it or the records after it; a field that
// does not convert ends the record, and the fields after it stay unset.

#include "db_text.h"
#include "qelcty.h"

namespace {

// A record line is about 59 characters; anything past this is no field.
constexpr size_t kLineCap = 1024;

struct OpenFile {
  FILE *file = nullptr;
  int fd = -1;
  // The line and its words, kept from one record to the next.
  std::string line;
  std::vector<std::string> words;
};
OpenFile city;

bool is_open(int fd) { return city.file && fd == city.fd; }

// Every field unset, `num` cleared: what a record holds before it is read.
void clear_record(CTY_data *data) {
  data->name[0] = data->state[0] = data->region[0] = data->id[0] = '\0';
  data->prior = QEL_MISS;
  data->mos = data->ua = ' ';
  data->lat = data->lon = data->el = -9999.0f;
  data->wmo = QEL_MISS;
  data->num = 0;
}

// The priority code: a digit, "*" before it for a MOS station, "*" after
// it for an upper-air station. A code without its digit has no priority.
void read_code(const char *code, CTY_data *data) {
  data->mos = code[0] == '*' ? '*' : ' ';
  const char *digit = code[0] == '*' ? code + 1 : code;
  data->prior = is_digit_char(*digit) ? *digit - '0' : QEL_MISS;
  data->ua = (*digit && digit[1] == '*') ? '*' : ' ';
}

}  // namespace

int CTY_open(const char *file, int access, int /*type*/) {
  if (access != 0 && access != 1) return -1;
  CTY_close(city.fd);  // one database at a time
  FILE *f = qeldb::open_file(file, access == 0 ? "r" : "w");
  if (!f) return -1;
  city.file = f;
  city.fd = fileno(f);
  return city.fd;
}

int CTY_read(int fd, CTY_data *data) {
  if (!is_open(fd) || !data) return -1;
  std::string &line = city.line;
  std::vector<std::string> &w = city.words;
  do {  // blank lines hold no record
    if (!qeldb::read_line(city.file, line, kLineCap)) return -1;
    qeldb::words(line, w);
  } while (w.empty());

  clear_record(data);
  int n = 0;
  for (; n < 10 && n < static_cast<int>(w.size()); n++) {
    const char *s = w[n].c_str();
    bool ok = true;
    switch (n) {
      case 0: str_copy(data->name, s, sizeof data->name); break;
      case 1: str_copy(data->state, s, sizeof data->state); break;
      case 2: str_copy(data->region, s, sizeof data->region); break;
      case 3: str_copy(data->id, s, sizeof data->id); break;
      case 4: read_code(s, data); break;
      case 5: ok = qeldb::to_float(s, &data->lat); break;
      case 6: ok = qeldb::to_float(s, &data->lon); break;
      case 7: ok = qeldb::to_float(s, &data->el); break;
      case 8: ok = qeldb::to_int(s, &data->wmo); break;
      default: ok = qeldb::to_int(s, &data->num); break;
    }
    if (!ok) break;
  }
  if (data->el > 9000.0f) data->el = -9999.0f;  // the file's mark of a missing elevation
  return n;
}

int CTY_rewind(int fd) {
  if (!is_open(fd)) return -1;
  rewind(city.file);
  return 0;
}

int CTY_close(int fd) {
  if (!is_open(fd)) return -1;
  fclose(city.file);
  city = OpenFile{};
  return 0;
}
