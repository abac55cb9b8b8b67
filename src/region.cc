// region.cc: plot domains and regions. A domain text is decoded into a
// Domain record by trying fifteen field lists in a fixed order: explicit
// projections, centres and grids, a centre taken from a station of the city
// database ("id:"), or the name of a region kept in a region file or built
// in. Decoding also sets the station plotting priority that goes with the
// domain's height and the file-name key "r".
//
// State: the plotting priority, the region menu (entry 0 "back", then the
// built-in regions until a region file is loaded; an entry with an empty
// name ends it) and the depth of region entries that decode further
// region entries, which is bounded so that an entry naming itself ends.

#include <cmath>

#include "db_text.h"
#include "qelcty.h"

namespace {

constexpr size_t kLineCap = 500;  // characters of a region-file line
constexpr int kTextLen = 80;      // domain text of a region entry
constexpr int kMenuSize = 23;
constexpr int kMenuLoad = 19;  // entries 1 to 19 come from a region file
constexpr int kMaxDepth = 8;   // region entries within region entries

// ---------------------------------------------------------------------------
// Projection keywords and built-in regions

struct Keyword {
  const char *word;
  size_t n;  // characters compared; 0: the whole keyword (before any ":")
  int code;
};

const Keyword kProjections[] = {
    {"ll", 2, 2},    {"lat", 3, 2},   {"polar", 5, 1},  {"ps", 2, 1},     {"sat", 3, 9},    {"lamb", 4, 4},
    {"lc", 2, 4},    {"la", 2, 8},    {"gn", 2, 6},     {"or", 2, 5},     {"mo", 2, 7},     {"me", 2, 3},
    {"pix", 3, 99},  {"xy", 2, 20},   {"xlogy", 5, 22}, {"xlogp", 5, 22}, {"cat", 3, 24},   {"skewt", 5, 40},
    {"ema", 3, 42},  {"teph", 4, 43}, {"rteph", 5, 44}, {"therm", 5, 40}, {"stuve", 5, 41}, {"hodo", 4, 23},
    {"vert", 4, 22}, {"xp", 0, 25},   {"zoom", 4, 50},  {"size", 4, 51},
};

bool keyword_matches(const char *text, const Keyword &k) {
  size_t n = k.n ? k.n : strlen(k.word);
  for (size_t i = 0; i < n; i++)
    if (!text[i] || tolower(static_cast<unsigned char>(text[i])) != k.word[i]) return false;
  return k.n || text[n] == '\0' || text[n] == ':';
}

struct Region {
  const char *abbr;
  const char *name;
  float clat, clon, spacing;
  bool ask;  // the centre is asked for
};

const Region kRegions[] = {
    {"us", "Contiguous US", 39.0f, -97.0f, 2.3f, false}, {"ne", "New England", 42.0f, -76.0f, 0.9f, false},
    {"at", "Atlantic", 37.0f, -82.0f, 0.9f, false},      {"se", "Southeastern", 31.0f, -88.0f, 1.1f, false},
    {"mw", "Midwestern", 43.0f, -93.0f, 1.1f, false},    {"sp", "Southern Plains", 32.5f, -100.0f, 1.2f, false},
    {"nw", "Northwestern", 44.0f, -112.0f, 1.0f, false}, {"sw", "Southwestern", 37.0f, -112.0f, 1.0f, false},
    {"var", "Variable", -9999.0f, -9999.0f, 1.2f, true},
};

// ---------------------------------------------------------------------------
// Module state

struct Menu {
  MENU_item items[kMenuSize] = {};
  int num_regs = 0;
};

constexpr size_t kNameLen = 20;  // characters of a display name in a region file

void set_entry(MENU_item &e, int index, const char *abbr, const char *name, int disp) {
  e = MENU_item{};
  str_copy(e.abbr, abbr, sizeof e.abbr);
  str_copy(e.name, name, sizeof e.name);
  e.index = index;
  e.disp[0] = disp;
}

Menu built_in_menu() {
  Menu m;
  set_entry(m.items[0], 0, "back", "Return to previous menu", 1);
  int i = 1;
  for (const Region &r : kRegions) {
    set_entry(m.items[i], i, r.abbr, r.name, 1);
    i++;
  }
  m.num_regs = i - 1;
  return m;
}

Menu reg_menu = built_in_menu();
int priority = 3;
int depth = 0;

FILE *open_region_file(const char *file) {
  char path[QEL_NAME_LEN] = "";
  FILE *f = nullptr;
  if (file && qeldb::in_file_path(file, path)) f = qeldb::open_file(path, "r");
  if (!f) MESS_print(M_DEBUGD, "Unable to open region file: %s\n", *path ? path : file ? file : "");
  return f;
}

bool starts_icase(const char *text, const char *prefix) {
  return strnicmp(text, prefix, static_cast<int>(strlen(prefix))) == 0;
}

// ---------------------------------------------------------------------------
// The field lists of the domain forms

enum Field { PROJ, PLON, CLAT, CLON, NX, NY, DX, DY, STATION, REGION };

struct Form {
  Field fields[8];
  int n;
  const char *label;  // of the debug message
};

const Form kForms[] = {
    {{PROJ, NX, NY}, 3, "proj,nx,ny"},
    {{PROJ, PLON, CLAT, CLON, NX, NY, DX, DY}, 8, "proj,plon,clat,clon,nx,ny,dx,dy"},
    {{PROJ, CLAT, CLON, NX, NY, DX, DY}, 7, "proj,clat,clon,nx,ny,dx,dy"},
    {{PROJ, PLON, CLAT, CLON, DX, DY}, 6, "proj,plon,clat,clon,dx,dy"},
    {{PROJ, CLAT, CLON, NX, NY, DX}, 6, "proj,clat,clon,nx,ny,dx"},
    {{CLAT, CLON, NX, NY, DX, DY}, 6, "clat,clon,nx,ny,dx,dy"},
    {{PROJ, CLAT, CLON, DX, DY}, 5, "proj,clat,clon,dx,dy"},
    {{CLAT, CLON, NX, NY, DX}, 5, "clat,clon,nx,ny,dx"},
    {{PROJ, CLAT, CLON, DX}, 4, "proj,clat,clon,dx"},
    {{CLAT, CLON, NX, NY}, 4, "clat,clon,nx,ny"},
    {{CLAT, CLON, DX}, 3, "clat,clon,dx"},
    {{PROJ, CLAT, CLON}, 3, "proj,clat,clon"},
    {{CLAT, CLON}, 2, "clat,clon"},
    {{STATION}, 1, "id:###"},
    {{REGION}, 1, "reg:REG"},
};
constexpr int kRegionForm = 14;

// A piece of a projection part: a number, 0 when it is none; an empty
// piece leaves the value as it is.
void read_piece(const char *piece, float *out) {
  if (!*piece) return;
  if (!qeldb::to_float(piece, out)) *out = 0.0f;
}

// The projection part: keyword, then ":"-separated parameters.
bool read_proj(const char *part, Domain *dom) {
  int code = DOM_proj_str(part);
  if (code == -1) {
    dom->proj = 1;
    return false;
  }
  dom->proj = code;
  int np = 0;
  char **pieces = nullptr;
  if (parse_string(part, ':', &np, &pieces) != 0) return true;
  if (np == 2) {
    read_piece(pieces[1], &dom->plon);
  } else {
    int i = 1;
    if (i < np && stricmp(pieces[i], "e") == 0) {
      dom->ellipse = 1;
      i++;
    }
    if (i < np) read_piece(pieces[i++], &dom->plat);
    if (i < np) read_piece(pieces[i++], &dom->plon);
    for (int k = 0; k < 4 && i < np; k++) read_piece(pieces[i++], &dom->param[k]);
  }
  free_parsed_array(np, pieces);
  return true;
}

// "id:name" (in "sao.cty") or "id:file:name": the station's location is
// the centre.
bool read_station(const char *part, Domain *dom) {
  if (!starts_icase(part, "id:")) return false;
  const char *rest = part + 3;
  const char *colon = strchr(rest, ':');
  std::string file = colon ? std::string(rest, colon - rest) : "sao.cty";
  float lat = 0.0f, lon = 0.0f;
  if (!CTY_get_loc(file.c_str(), colon ? colon + 1 : rest, &lat, &lon)) return false;
  dom->clat = lat;
  dom->clon = lon;
  return true;
}

// An entry found in a region file is decoded in its turn; one found
// nowhere leaves projection -1.
void decode_entry(bool found, const char *text, Domain *dom) {
  if (found)
    DOM_decode(text, dom);
  else
    dom->proj = -1;
}

// A region: "fi:file" (its first entry), "file:entry", "file:" (load the
// menu) or a plain name (in "qel.reg", else built in).
void read_region(const char *part, Domain *dom) {
  char text[kTextLen] = "";
  if (starts_icase(part, "fi:")) {
    decode_entry(DOM_search_file(part + 3, nullptr, text), text, dom);
  } else if (const char *colon = strrchr(part, ':')) {
    std::string file(part, colon - part);
    if (!colon[1])
      DOM_read_menu(file.c_str());
    else
      decode_entry(DOM_search_file(file.c_str(), colon + 1, text), text, dom);
  } else if (DOM_search_file("qel.reg", part, text)) {
    DOM_decode(text, dom);
  } else if (!DOM_get_def_region(part, dom)) {
    dom->proj = -1;
  }
}

// Whether form `f` accepts the parts, reading them into the record.
bool accept(const Form &form, char **parts, int nparts, Domain *dom) {
  // A station part stands for the centre latitude and longitude.
  Field list[8];
  int n = 0;
  for (int i = 0; i < form.n; i++) {
    if (form.fields[i] == CLAT && n < nparts && starts_icase(parts[n], "id:")) {
      list[n++] = STATION;
      if (i + 1 < form.n && form.fields[i + 1] == CLON) i++;
    } else {
      list[n++] = form.fields[i];
    }
  }
  if (n != nparts) return false;

  DOM_init(dom);
  if (stricmp(parts[0], "miss") == 0 || stricmp(parts[0], "none") == 0) return true;
  for (int k = 0; k < n; k++) {
    const char *p = parts[k];
    bool ok = true;
    switch (list[k]) {
      case PROJ: ok = read_proj(p, dom); break;
      case PLON: ok = qeldb::to_float(p, &dom->plon); break;
      case CLAT: ok = qeldb::to_float(p, &dom->clat); break;
      case CLON: ok = qeldb::to_float(p, &dom->clon); break;
      case DX: ok = qeldb::to_float(p, &dom->dx); break;
      case DY: ok = qeldb::to_float(p, &dom->dy); break;
      case NX: ok = qeldb::to_int(p, &dom->nx); break;
      case NY: ok = qeldb::to_int(p, &dom->ny); break;
      case STATION: ok = read_station(p, dom); break;
      case REGION:
        if (starts_icase(p, "id:")) return false;
        read_region(p, dom);
        break;
    }
    if (!ok) return false;
  }
  return true;
}

// The integer part of a real, or -9999 when it has none an int can hold.
int int_part(float v) { return (v > -2147483648.0f && v < 2147483648.0f) ? static_cast<int>(v) : QEL_MISS; }

void grid_25_17(Domain *dom) {
  dom->nx = 25;
  dom->ny = 17;
}

void spacing(Domain *dom, float d) { dom->dx = dom->dy = d; }

// What each form leaves to defaults.
void apply_defaults(int form, Domain *dom) {
  switch (form) {
    case 3:
    case 6: grid_25_17(dom); break;
    case 4: dom->dy = dom->dx; break;
    case 5: dom->proj = 1; break;
    case 7:
      dom->proj = 1;
      dom->dy = dom->dx;
      break;
    case 8:
      grid_25_17(dom);
      dom->dy = dom->dx;
      break;
    case 9:
      dom->proj = 1;
      spacing(dom, 1.2f);
      break;
    case 10:
      dom->proj = 1;
      grid_25_17(dom);
      dom->dy = dom->dx;
      break;
    case 11:
      if (dom->proj == 51) {  // "size": the two numbers are the grid size
        dom->nx = int_part(dom->clat);
        dom->ny = int_part(dom->clon);
        dom->clat = dom->clon = -9999.0f;
      } else {
        grid_25_17(dom);
        spacing(dom, dom->proj == 50 ? 1.0f : 1.2f);
      }
      break;
    case 12:
    case 13:
      dom->proj = 1;
      grid_25_17(dom);
      spacing(dom, 1.2f);
      break;
    default: break;
  }
}

}  // namespace

int DOM_init(Domain *dom) {
  dom->proj = QEL_MISS;
  dom->plat = dom->plon = -9999.0f;
  for (float &p : dom->param) p = -9999.0f;
  dom->clat = dom->clon = dom->dx = dom->dy = -9999.0f;
  dom->nx = dom->ny = QEL_MISS;
  dom->ellipse = 0;
  return 0;
}

int DOM_proj_str(const char *str) {
  if (!str || !*str) return -1;
  for (const Keyword &k : kProjections)
    if (keyword_matches(str, k)) return k.code;
  if (stricmp(str, "miss") == 0) return QEL_MISS;
  return -1;
}

int DOM_get_def_region(const char *name, Domain *dom) {
  if (!name || !dom) return 0;
  for (const Region &r : kRegions) {
    if (stricmp(name, r.abbr) != 0) continue;
    float clat = r.clat, clon = r.clon;
    if (r.ask) {
      clat = QEL_promptf("Enter the central latitude: ");
      clon = QEL_promptf("Enter the central longitude: ");
    }
    DOM_init(dom);
    dom->proj = 1;
    dom->plon = dom->clon = clon;
    dom->clat = clat;
    spacing(dom, r.spacing);
    grid_25_17(dom);
    return 1;
  }
  return 0;
}

int DOM_search_file(const char *file, const char *name, char *text) {
  if (text) text[0] = '\0';
  FILE *f = open_region_file(file);
  if (!f) return 0;
  std::string line;
  int found = 0;
  while (!found && qeldb::read_line(f, line, kLineCap)) {
    if (line[0] == '#') continue;
    std::vector<std::string> w = qeldb::words(line);
    if (w.empty()) break;               // an empty line ends the entries
    const std::string *domain = &w[0];  // a lone field is the domain of any name
    if (w.size() > 1) {
      int flag = 0;
      if (w.size() < 4 || !qeldb::to_int(w[2].c_str(), &flag)) continue;  // not an entry
      if (name && stricmp(w[0].c_str(), name) != 0) continue;
      domain = &w[3];
    }
    if (text) str_copy(text, domain->c_str(), kTextLen);
    found = 1;
  }
  fclose(f);
  return found;
}

int DOM_read_menu(const char *file) {
  FILE *f = open_region_file(file);
  if (!f) return 0;
  for (int i = 1; i <= kMenuLoad; i++) reg_menu.items[i] = MENU_item{};
  std::string line;
  int n = 0;
  while (n < kMenuLoad && qeldb::read_line(f, line, kLineCap)) {
    if (line[0] == '#') continue;
    std::vector<std::string> w = qeldb::words(line);
    int flag = 0;
    if (w.size() < 3 || !qeldb::to_int(w[2].c_str(), &flag) || flag == 0) continue;
    n++;
    // Each field is cut to its room, never run into the next one.
    set_entry(reg_menu.items[n], n, w[0].c_str(), w[1].substr(0, kNameLen).c_str(), flag);
    fill_string(reg_menu.items[n].name, '_', ' ');
  }
  fclose(f);
  reg_menu.items[n + 1].name[0] = '\0';
  reg_menu.num_regs = n;
  return 1;
}

int DOM_set_base_prior(float size) {
  int p = size > 50.0f ? 1 : size > 25.0f ? 2 : size > 12.5f ? 3 : size > 6.25f ? 4 : size > 3.0f ? 5 : 6;
  const char *adj = RES_get("stat_prior");
  if (adj && *adj) {
    if (adj[0] == '+' && is_digit_char(adj[1]))
      p += adj[1] - '0';
    else if (adj[0] == '-' && is_digit_char(adj[1]))
      p -= adj[1] - '0';
    else if (is_digit_char(adj[0]))
      p = adj[0] - '0';
  }
  priority = p;
  return p;
}

int DOM_get_prior() { return priority; }

const MENU_item *DOM_get_menu(int *num) {
  if (num) *num = reg_menu.num_regs;
  return reg_menu.items;
}

int DOM_decode(const char *str, Domain *dom) {
  Domain scratch;
  if (!dom) dom = &scratch;
  DOM_init(dom);
  if (!str || !*str || stricmp(str, "miss") == 0) return QEL_MISS;

  int nparts = 0;
  char **parts = nullptr;
  parse_string(str, ',', &nparts, &parts);
  MESS_print(M_DEBUGC, "******** PARSING DOMAIN: %d %s\n", nparts, str);

  int result = -1;
  if (nparts > 0 && depth < kMaxDepth) {
    depth++;
    for (int f = 0; f <= kRegionForm; f++) {
      if (f == 0 && stricmp(parts[0], "size") != 0) continue;
      if (!accept(kForms[f], parts, nparts, dom)) continue;
      apply_defaults(f, dom);
      MESS_print(M_DEBUGC, "%2d %s\n", 0, kForms[f].label);
      result = f == kRegionForm ? 2 : 1;
      break;
    }
    depth--;
  }
  free_parsed_array(nparts, parts);
  if (result == -1) MESS_print(M_WARN, "DOM_decode: Invalid plot domain\n");

  FLAG_set(FLAG_DOMAIN, result);
  FILE_set_key('r', str);
  DOM_set_base_prior((static_cast<float>(dom->ny) - 1.0f) * dom->dy);
  return result;
}
