// resrc.cc: the process-wide resource list (named text values) and, as a
// stand-in until the registry is written, a plain command-line reader:
// "-abbr value" or "-name value" for this tool's options, the first other
// word as the file name.

#include <cstdlib>
#include <cstring>

#include "qelresrc.h"

namespace {

struct res_obj {
  int index;
  char *name;
  char *data;
  DEF_convert cvt;
  res_obj *next;
};

res_obj root_res = {QEL_MISS, nullptr, nullptr, CV_string, nullptr};
int clargc = 0;
char **clargv = nullptr;

res_obj *find(const char *name) {
  for (res_obj *r = root_res.next; r; r = r->next)
    if (strcmp(r->name, name) == 0) return r;
  return nullptr;
}

char *dup_or_null(const char *s) { return s ? strdup(s) : nullptr; }

res_obj *find_or_add(const char *name) {
  res_obj *r = find(name);
  if (r) return r;
  r = static_cast<res_obj *>(calloc(1, sizeof(res_obj)));
  if (!r) return nullptr;
  r->name = strdup(name);
  res_obj *tail = &root_res;
  while (tail->next) tail = tail->next;
  tail->next = r;
  return r;
}

struct StandIn {
  const char *name;
  const char *abbr;
  DEF_convert cvt;
};

const StandIn kOptions[] = {
    {"help", "h", CV_help},           {"batch", "ba", CV_batch},        {"message", "me", CV_mess},
    {"file_path", "fp", CV_path},     {"data_path", "dp", CV_path},     {"name_conv", "nc", CV_name},
    {"in_file", "if", CV_string},     {"model", "mo", CV_string},       {"output", "ou", CV_string},
    {"current", "cu", CV_current},    {"hour", "ho", CV_hour},          {"identifier", "id", CV_string},
    {"parameter", "pa", CV_string},
};

}  // namespace

int RES_new(int index, const char *name, const char *data, DEF_convert cvt) {
  res_obj *r = find_or_add(name);
  if (!r) return -1;
  free(r->data);
  r->data = dup_or_null(data);
  r->cvt = cvt;
  r->index = index;
  return 0;
}

int RES_append(int index, const char *name, const char *data, DEF_convert cvt) {
  res_obj *r = find(name);
  if (!r) return RES_new(index, name, data, cvt);
  if (!data) return 0;
  if (!r->data) {
    r->data = strdup(data);
    return 0;
  }
  size_t n = strlen(r->data) + strlen(data) + 2;
  char *joined = static_cast<char *>(malloc(n));
  if (!joined) return -1;
  snprintf(joined, n, "%s\n%s", r->data, data);
  free(r->data);
  r->data = joined;
  return 0;
}

int RES_put(const char *name, const char *value) { return RES_new(QEL_MISS, name, value, CV_string); }

const char *RES_get(const char *name) {
  res_obj *r = find(name);
  if (!r) return nullptr;
  return r->data ? r->data : "";
}

int RES_getvals(const char *name, int *paramc, char ***paramv) {
  *paramc = 0;
  *paramv = nullptr;
  res_obj *r = find(name);
  if (!r || !r->data) return 0;
  if (parse_string(r->data, r->cvt == CV_strings ? '\n' : ',', paramc, paramv) != 0) return 0;
  return *paramc;
}

int RES_list() {
  for (res_obj *r = root_res.next; r; r = r->next) {
    if (r->data)
      MESS_print(8, "%s: %s\n", r->name, r->data);
    else
      MESS_print(8, "%s:\n", r->name);
  }
  return 0;
}

int RES_setCL(int argc, char **argv) {
  clargc = argc;
  clargv = argv;
  return 1;
}

const char *RES_get_prog() { return clargv && clargc > 0 ? clargv[0] : nullptr; }

char *RES_get_progname(char *prog) {
  const char *full = RES_get_prog();
  if (!full) full = "QEL";
  const char *slash = strrchr(full, '/');
  const char *base = slash ? slash + 1 : full;
  if (!prog) {
    prog = strdup(base);
    return prog ? prog : const_cast<char *>("QEL");
  }
  str_copy(prog, base, 20);
  return prog;
}

int RES_conv_data(const char *data, void *, DEF_convert cvt) {
  if (cvt == CV_batch) {
    FLAG_set(19, 1);
    if (MESS_check_set() == 0) MESS_set(0, 255);
    return 1;
  }
  if (cvt == CV_help) {
    FLAG_set(20, 1);
    return 1;
  }
  if (!data) return 0;
  if (cvt == CV_mess) MESS_set_str(data);
  return 1;
}

int RES_set_device(const char *) { return 1; }

int RES_init(int argc, char **argv, res_type *, res_type *) {
  FLAG_reset(QEL_MISS);
  RES_setCL(argc, argv);
  int positional = 0;
  for (int i = 1; i < argc; i++) {
    const char *a = argv[i];
    if (a[0] == '-' && a[1] && a[1] != '-' && !(a[1] >= '0' && a[1] <= '9')) {
      const StandIn *opt = nullptr;
      for (const StandIn &o : kOptions)
        if (stricmp(a + 1, o.abbr) == 0 || stricmp(a + 1, o.name) == 0) opt = &o;
      const char *value = nullptr;
      bool takes_value = opt && opt->cvt != CV_batch && opt->cvt != CV_help;
      if (takes_value && i + 1 < argc) value = argv[++i];
      RES_new(opt ? 0 : QEL_MISS, opt ? opt->name : a + 1, value, opt ? opt->cvt : CV_string);
    } else if (++positional == 1) {
      RES_new(0, "filename", a, CV_strcpy);
    }
  }
  for (const StandIn &o : kOptions)
    if (find(o.name)) RES_conv_data(find(o.name)->data, nullptr, o.cvt);
  return 1;
}

int RES_decode(const char *, const char *, int, char **, RES_defobj *) { return 0; }

int RES_enter(RES_defobj *obj, res_type) { return RES_fill_obj(obj, "", "", "", CV_string, nullptr, nullptr); }

int RES_fill_obj(RES_defobj *obj, const char *def, const char *env, const char *cmd, DEF_convert cvt, void *out,
                 int *num) {
  obj->def = def;
  obj->env = env;
  obj->cmd = cmd;
  obj->cvt = cvt;
  obj->out = out;
  obj->num = num;
  return 1;
}

int RES_help_print(const char *, res_type *, res_type *) { return 1; }
int RES_help_item(res_type) { return 1; }
