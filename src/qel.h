// qel.h: the shared records, global flags, message levels and the common
// modules of the package library. The base first, which calls nothing above
// itself (dates, messages, flags, strings, process utilities, the loop-window
// link, file paths), then file naming and selection, bulletin product
// reading, the column scanner and plot domains.
//
// Conventions: -9999 marks "not set" or "missing" everywhere; failures are
// small integer results, never exceptions; fatal paths end through QEL_exit.
// File names live in 160-byte buffers (at most 159 characters).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

/// The "not set" / "missing" marker of integer fields, flags and dates.
constexpr int QEL_MISS = -9999;
/// Capacity of every file-name buffer, terminator included.
constexpr int QEL_NAME_LEN = 160;

#if defined(__GNUC__)
#define QEL_PRINTF(f, a) __attribute__((format(printf, f, a)))
#else
#define QEL_PRINTF(f, a)
#endif

// ---------------------------------------------------------------------------
// Dates (date.cc)

/// Broken-down UTC date and time; -9999 in a field means unset.
struct Date {
  int32_t year;   // full year (two-digit years are widened where seconds are computed)
  int32_t month;  // 1 to 12
  int32_t day;    // 1 to 31
  int32_t jday;   // day of year, 1 to 366
  int32_t wday;   // 0 = Sunday
  int32_t hour;
  int32_t min;
  int32_t sec;
};

/// "JAN" ... "DEC"; "" for a month outside 1 to 12.
const char *DATE_month(int month);
/// "jan" ... "dec"; "" for a month outside 1 to 12.
const char *DATE_month_lower(int month);
/// Sets all eight fields to -9999. Returns 0.
int DATE_init(Date *date);
/// Prints "y/m/d hh:mm:ss" at message level `level`. Returns 0.
int DATE_print(uint32_t level, Date *date);
/// Sets the display time zone from a text such as "-EST:-5" (no readable
/// hours: offset 0; an empty text: empty name, offset 0). Returns 0.
int DATE_set_TZ(const char *str);
/// Writes the current UTC time as "YY MON DD  hh:mm:ssZ" into `buf` (21). Returns 0.
int DATE_get_current_str(char *buf);
/// 1 for a Gregorian leap year, else 0.
int DATE_is_leap(int year);
/// Seconds since 1970-01-01 UTC; normalises the record in place.
int64_t DATE_num_sec(Date *date);
/// Stores the current time in *secs (when given) and returns it.
int64_t DATE_get_time(int64_t *secs);
/// Breaks `secs` (null: now) down in UTC into `date`. Returns 0, or -1
/// (all fields unset) for a time the system cannot break down.
int DATE_get_gmdate(const int64_t *secs, Date *date);
/// Day of year to month and day. Returns 0.
int DATE_julian_monday(int year, int jday, int *month, int *day);
/// Month and day to day of year. Returns 0.
int DATE_monday_julian(int year, int month, int day, int *jday);
/// Writes the display label (32 bytes) of the record: 0, or -1 for a null buffer.
int DATE_make_label(Date *date, char *label);
/// Month number 1 to 12 of a month name, or 0.
int DATE_decode_month(const char *str);

// ---------------------------------------------------------------------------
// Message levels (mess.cc)

/// 32-bit message-level mask: ten groups with sub-levels a to d.
typedef uint32_t M_type;

constexpr M_type M_NONE = 0x0;
constexpr M_type M_PRINT = 0xF;
constexpr M_type M_ERROR = 0x30;
constexpr M_type M_WARN = 0xC0;
constexpr M_type M_MESS = 0xF00;
constexpr M_type M_OUT1 = 0xF000;
constexpr M_type M_OUT2 = 0xF0000;
constexpr M_type M_OUT3 = 0xF00000;
constexpr M_type M_OUT4 = 0xF000000;
constexpr M_type M_DEBUG = 0xF0000000;
constexpr M_type M_DEBUGA = 0x10000000;  // station readers, file-name conventions
constexpr M_type M_DEBUGB = 0x20000000;
constexpr M_type M_DEBUGC = 0x40000000;  // product search, header matching, paths, domains
constexpr M_type M_DEBUGD = 0x80000000;  // queue traffic, defaults, keys, scanner, regions
constexpr M_type M_PRINTD = 0x8;         // print d: the resource listing
constexpr M_type M_MESSD = 0x800;        // mess d: the heading of the resource listing
/// Print, error and warn (255): tables and warnings without the
/// informational lines, the level of unattended runs.
constexpr M_type M_UNATTENDED = M_PRINT | M_ERROR | M_WARN;

/// Operations of MESS_set. The first three are the user's choice and are
/// counted as explicit; the FORCE ones always apply without being counted;
/// the DEFAULT ones are a program's default, which yields to any explicit
/// setting.
constexpr int MESS_CUMULATIVE = 0;  // the highest bit of the level and every bit below it
constexpr int MESS_ADD = 1;         // add the bits
constexpr int MESS_REMOVE = -1;     // remove the bits
constexpr int MESS_FORCE_CUMULATIVE = 10;
constexpr int MESS_FORCE_ADD = 11;
constexpr int MESS_FORCE_REMOVE = 9;
constexpr int MESS_DEFAULT_CUMULATIVE = 20;
constexpr int MESS_DEFAULT_ADD = 21;
constexpr int MESS_DEFAULT_REMOVE = 19;

/// Prints the formatted message when any bit of `type` is in the message
/// level. Returns 0 when nothing reached the screen, 1 otherwise.
int MESS_print(M_type type, const char *mess, ...) QEL_PRINTF(2, 3);
/// Changes the message level: oper 0/10/20 cumulative, 1/11/21 add,
/// -1/9/19 remove (the MESS_ operations above); oper <= 4 counts as
/// explicit, oper >= 16 yields to an explicit setting. Returns 0.
int MESS_set(int oper, M_type level);
/// Applies a comma-separated message setting (levels, message file, paging).
/// Counts as one explicit setting. Returns 0.
int MESS_set_str(const char *str);
/// 1 when any bit of `level` is shown, else 0.
int MESS_check(M_type level);
/// The number of explicit level settings so far (0: still the initial level).
int MESS_check_set();
/// Pauses for the user (prints `mess`, reads one character) unless the
/// level is off, output goes to the file only, batch mode or no paging. Returns 0.
int MESS_hold(M_type type, const char *mess);
/// Prints the program banner with the package version at level "mess". Returns 0.
int MESS_print_prog(const char *string);
/// The current message level. Used by tests and the resource listing.
M_type MESS_get_level();
/// The error number of the first message that could not be written to
/// standard output, or 0.
int MESS_write_error();

// ---------------------------------------------------------------------------
// Global flags and plot switches (flag.cc)

/// The indices of the global flags in use.
constexpr int FLAG_DEVICE = 2;       // output device code (1, 3, 4, 5 or 6)
constexpr int FLAG_MODEL = 4;        // MOS model code (MOS_model of qelmos.h)
constexpr int FLAG_DOMAIN = 5;       // result of the last domain decoded (DOM_decode)
constexpr int FLAG_PLOT_TYPE = 11;   // plot type code
constexpr int FLAG_FILE_PARAM = 15;  // output-file policy: 1 over/calc/recalc, 2 app, 3 use/reuse
constexpr int FLAG_BATCH = 19;       // batch mode when greater than 0 (FLAG_batch)
constexpr int FLAG_HELP = 20;        // help requested when greater than 0 (FLAG_help)

/// The flag's value for 0 <= flag <= 29, else 0.
int FLAG_get(int flag);
/// Stores the value and returns 0; -1 (nothing stored) outside 0 to 29.
int FLAG_set(int flag, int value);
/// Sets all 30 flags to `value`. Returns 0.
int FLAG_reset(int value);
/// 1 when batch mode is on (flag 19 > 0), else 0.
int FLAG_batch();
/// 1 when help was requested (flag 20 > 0), else 0.
int FLAG_help();
/// The plot switches that stand for others: "text" (the sum of the six text
/// corners 1 to 6), "bord" and "all" (the sum of 0 to 11).
constexpr int FLAG_PLOT_TEXT = 0;
constexpr int FLAG_PLOT_BORD = 11;
constexpr int FLAG_PLOT_ALL = 12;

/// Sets plot switch `kind` (0 to 12) and recomputes the sums 0 and 12. Returns 0.
int FLAG_setplot(int kind, int val);
/// Sets all 13 plot switches to `val`. Returns 0.
int FLAG_resetplot(int val);
/// The value of plot switch `kind` (0 to 12), or 0 outside. Used by tests.
int FLAG_getplot(int kind);

// ---------------------------------------------------------------------------
// Strings and lines (string.cc)

/// ASCII character classes, the same in every locale (inline: the readers
/// ask them of every character).
inline bool is_digit_char(char c) { return c >= '0' && c <= '9'; }
inline bool is_upper_char(char c) { return c >= 'A' && c <= 'Z'; }
inline bool is_letter_char(char c) { return is_upper_char(c) || (c >= 'a' && c <= 'z'); }
/// The six white-space characters of C: blank, tab, LF, VT, FF and CR.
inline bool is_space_char(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }
/// Blank, tab and the line ends LF and CR (not VT or FF): the white space
/// of the column scanner's formats and of its "w" conversion.
inline bool is_white_char(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

/// Copies at most size - 1 bytes of `src` into `dst` and always terminates
/// (for size > 0). Returns the length of `src`, so a result >= size means cut.
size_t str_copy(char *dst, const char *src, size_t size);

/// Replaces every `tar` by `fill`. Returns 0.
int fill_string(char *string, char tar, char fill);
/// Removes every CR and LF, closing the gaps. Returns 1.
int wsstrip_string(char *string);
/// Removes every CR and LF, then trailing blanks. Returns 1.
int wstrim_string(char *string);
/// a-z to A-Z in place. 0 for a null or empty string, else 1.
int up_string(char *string);
/// A-Z to a-z in place. 0 for a null or empty string, else 1.
int low_string(char *string);
/// Drops trailing control bytes and blanks other control and high bytes.
/// 0 for a null or empty line, else 1.
int clean_line(char *line);
/// 1 for null, empty, or only bytes <= 0x20 or >= 0x80; else 0.
int string_is_blank(const char *string);
/// Case-insensitive compare; 1 if either is null.
int stricmp(const char *s1, const char *s2);
/// Case-insensitive compare of at most the first n bytes (walks n - 1 positions).
int strnicmp(const char *s1, const char *s2, int n);
/// Splits a copy of `string` at `delim` into *argv (caller frees with
/// free_parsed_array); trailing delimiters are dropped, fields not trimmed.
/// Returns 0, or -1 for null/empty input or no memory (*argc then 0).
int parse_string(const char *string, char delim, int *argc, char ***argv);
/// Releases what parse_string handed out. Returns 0.
int free_parsed_array(int argc, char **argv);
/// Reads the next line (at most len bytes; the buffer holds len + 1),
/// leaving its terminator in the stream for the next read to skip; a longer
/// line comes out in pieces. Returns the bytes stored, 0 for an empty line,
/// -1 at end of file (or for a null stream or buffer).
int fgetnline(FILE *ifile, char *string, int len);
/// As fgetnline, but returns 1 for a non-empty line.
int fgetstring(FILE *ifile, char *string, int len);

// ---------------------------------------------------------------------------
// Process utilities (system.cc)

/// The package version: major.minor.patch, system and window system joined by "-".
const char *QEL_version();
/// Ends the process with `status`. When standard output could not be
/// written it prints "PROGRAM: write error: REASON" on standard error, and
/// a status 0 becomes 1.
[[noreturn]] void QEL_exit(int status);
/// Names the program for the message of QEL_exit: its path as the command
/// line gives it (kept by pointer; null: "QEL"), cut after the last "/" to
/// 19 characters there. The registry calls it when it saves the command
/// line (RES_setCL). Returns 0.
int QEL_set_prog(const char *path);
/// Makes a failed write to standard output fail the run on every way out
/// (QEL_exit and a return from main), and a closed pipe a write error
/// rather than a fatal signal. Called once at start-up. Returns 0.
int QEL_watch_output();
/// Sleeps `secs` seconds (microsecond resolution). -1 for secs <= 0, else 0.
int QEL_sleep(float secs);
// ---------------------------------------------------------------------------
// Loop-window link (mqueue.cc)

/// One System V message: type and text (120 bytes of it travel).
struct mqueuebuf {
  long mtype;
  char mtext[124];
};

/// Opens the existing queue of loop window `num`: its id, -1 when no queue
/// exists for that key (always for key 0: nothing is ever created), 0 for
/// any other error.
int MQ_open(int num);
/// Connection handshake: the connection id, or -1 (send failed, unexpected
/// code, or an id that is not a number from 3 to 207).
int MQ_connect(int msgqid);
/// Sends one message with code digit `conn_id` and the formatted text (cut
/// at 118 characters). 0 when sent, -1 on failure or a null format.
int MQ_put(int msgqid, int conn_id, const char *format, ...) QEL_PRINTF(3, 4);
/// Waits for the next message of type `conn_id`, copies its text after the
/// code digit into `item` (at least 120 bytes); returns the code, or -1 with
/// `item` empty on a receive error (-1 at once for a null `item`). No
/// message in the time limit: exit 7.
int MQ_get(int msgqid, int conn_id, char *item);
/// Removes every waiting message of type `index`; -1 when none is left.
int MQ_clear(int msgqid, int index);
/// Arms the time limit (20 seconds) with MQ_intrp as handler; while an
/// answer is read, no later than its deadline. Returns 0.
int MQ_enable_alarm();
/// Starts reading a whole answer (every reply to one request): from now on
/// the sends and waits together get one time limit. Returns 0.
int MQ_begin_answer();
/// Ends the answer begun last; each send or wait has its own limit again. Returns 0.
int MQ_end_answer();
/// Disarms the time limit. Returns 0.
int MQ_disable_alarm();
/// The time-limit handler: prints "Queue not responding!!" and exits with 7.
void MQ_intrp(int sig);
/// Changes the time limit of sends and waits (20 seconds unless changed):
/// 0, or -1 (nothing changed) for secs <= 0. Used by tests.
int MQ_set_time_limit(int secs);

// ---------------------------------------------------------------------------
// File paths (paths.cc): joining, "~", standard streams, opening. This part
// of the files module calls nothing above the messages.

/// 1 when the name begins with "/", "." or "~".
int FILE_fullpath(const char *name);
/// Joins directory (or null) and name into `out` (160); returns `out`.
char *FILE_add_path(const char *dir, const char *name, char *out);
/// Appends "/" to a non-empty path not ending in one (room for one more
/// character is the caller's). Returns 0.
int FILE_add_path_delim(char *path);
/// Expands a leading "~" or "~user" into `out` (160); returns `out`.
char *FILE_add_user_path(const char *name, char *out);
/// 1 for the standard-stream names: "", "-", "std", "stdn".
int FILE_is_stdio(const char *name);
/// 1 when the file exists or is a standard-stream name.
int FILE_exist(const char *name);
/// 1 when the name is an existing directory.
int FILE_is_dir(const char *name);
/// Size in bytes, or -1 when the file cannot be examined.
long FILE_size(const char *name);
/// Creates the missing directories of `path` but its last `leave`
/// components. 1 when nothing was needed, else 0.
int FILE_make_dir(char *path, int leave);
/// Opens a file (standard streams, "|command", "~" names; parents are
/// created for writing). The stream, or null; null also for a "|command"
/// while commands are refused (FILE_refuse_commands).
FILE *FILE_open(const char *name, const char *mode);
/// Refuses "|command" names in FILE_open while a value from `source` (a
/// text naming it, kept by pointer) is applied; null allows them again. Returns 0.
int FILE_refuse_commands(const char *source);
/// 1 when `name` is no "|command" or commands may run now; else warns
/// "Command not run" with the source and returns 0.
int FILE_command_ok(const char *name);

// ---------------------------------------------------------------------------
// Prompts (tools.cc): above the base, since a "set" typed at a prompt
// changes a resource.

/// Interprets a prompt answer: 1 for a "set" command ("set name value" or
/// "set name=value" stores a resource, a bare "set" lists them), 0 for no
/// command; "exit" ends the process with status 0.
int QEL_set_command(const char *string);
/// Asks for one word of at most length - 1 characters (at least 1); stores
/// it in `str` (or a new buffer of length + 1 bytes when `str` is null) and
/// returns it, or null when no buffer can be had. An empty answer or the end
/// of input leaves the buffer as it was.
char *QEL_prompts(const char *prompt, char *str, int length);
/// Asks for a real number and returns it (0 for an empty answer or the end
/// of input); an answer that is not a number is asked again.
float QEL_promptf(const char *prompt);

// ---------------------------------------------------------------------------
// Naming conventions (files.cc) and input-file selection (files_select.cc)

/// Selects the naming convention of a data type (":k=v" key settings are
/// cut off `type` in place). 1 if a convention was taken, else 0.
int FILE_set_name(char *type);
/// Builds the file name for `date` (null: the current file date) into
/// `out` (160). 0 after an expansion, 1 when copied or standard input.
int FILE_set_date(Date *date, char *out);
/// Builds the header-file name from the header template alone (the current
/// file name is left as it is); 1 if a non-empty name resulted, else 0.
int FILE_hdr_set_date(Date *date, char *out);
/// Stores template key `key` (at most 29 characters, blanks as "_"; null
/// clears it). Returns 0.
int FILE_set_key(char key, const char *value);
/// Copies the current file name into `buf` (160) when given; returns it.
const char *FILE_get_filename(char *buf);
/// 1 when the current file name came straight from the user, else 0.
int FILE_get_filename_type();
/// Saves the naming state (one level). Returns 0.
int FILE_save_name_conv();
/// Restores the naming state saved last. Returns 0.
int FILE_restore_name_conv();
/// 1 when `name` is a "|command" exactly as the user gave it as the file
/// name (argument, option, prompt, environment, loop window), not one made
/// by a naming template.
int FILE_user_command(const char *name);
/// 1 when the last selection chose no file to read (a latest search that
/// found nothing, a refused command): the bulletin reader then opens nothing.
int FILE_none_chosen();
/// Chooses the input file (resource, current, batch latest, or prompt);
/// copies the name into `out` (160) when given. 1 if it exists, else 0.
int FILE_get_file_only(const char *prompt, char *out);
/// As FILE_get_file_only with the name at `index` (from 0) of the
/// "filename" list of one name a line; past the list's end no name is
/// given and the file is chosen by time or at the prompt.
int FILE_get_file_at(const char *prompt, int index, char *out);
/// Resolves a typed name into `out` (160). Returns 0.
int FILE_set_file(const char *name, char *out);
/// Resolves a "current"/"latest" time text (null means "la") into
/// `out` (160); returns the time truncated to the file step.
int64_t FILE_set_current(const char *when, char *out);
/// Lists, in columns and without a shell, the existing files that the
/// current template could name. Returns 0.
int FILE_list_file();
/// Fixes the requested date fields for file selection. Returns 0.
int FILE_set_time(const Date *date);
/// Copies the date of the current file. Returns 0.
int FILE_get_date(Date *date);
/// Copies the fixed date fields chosen by the user (the store that
/// FILE_set_time and a "#" suffix fill). Used by tests. Returns 0.
int FILE_get_time(Date *date);

// ---------------------------------------------------------------------------
// Bulletin product file reader (par_tool.cc) and header patterns (par_cmp.cc)

/// Sets the data type under which the bulletin file is named. Returns 0.
int PAR_set_in_file(const char *str);
/// Status codes of the line evaluated last (PAR_end, PAR_get_status); the
/// end conditions of PAR_set_end are the same bits. Callers test
/// PAR_END_PRODUCT: it is set in both codes that end a product.
constexpr int PAR_HEADER_FOUND = 1;  // a search just found a product header
constexpr int PAR_END_PRODUCT = 4;   // end of file, or a line beginning with 0x01 or 0x03
// A "** " line: the header of the next product.
constexpr int PAR_NEXT_HEADER = PAR_END_PRODUCT | PAR_HEADER_FOUND;
constexpr int PAR_END_MAX_LINES = 0x10;  // more lines in one read than the line limit
constexpr int PAR_END_BLANK = 0x100;     // a blank line
constexpr int PAR_END_BLANKS = 0x200;    // more than two blank lines in a row
constexpr int PAR_END_DOLLARS = 0x400;   // a line beginning with "$$"
constexpr int PAR_END_EQUALS = 0x800;    // a line ending with "="

/// Sets the mask of product end conditions (PAR_END_ bits). Returns 0.
int PAR_set_end(int flag);
/// Opens the bulletin file for `date` (and its header index file, if any),
/// reusing the one slot: handle 0, or -1 when the file cannot be opened.
int PAR_open(Date *date);
/// Closes the slot: 1, or 0 for -1 or a closed slot.
int PAR_close(int ind);
/// Back to the start of the file: 1, or 0 for -1 or a closed slot.
int PAR_rewind(int ind);
/// Continues reading at byte `pos` (drops the held line, keeps a pending
/// header): 1, or 0 for -1, a closed slot or a position that cannot be sought.
int PAR_seek(int ind, long pos);
/// Position recorded before the last line read, or -1.
long PAR_get_pos(int ind);
/// The last line of the file when it has no line end and a read reached it
/// (such a line is never delivered: it may be half written), or "".
const char *PAR_unfinished(int ind);
/// Status of the line evaluated last (0 for handle -1).
int PAR_get_status(int ind);
/// The heading line (at most 80 characters) of the product that the last
/// successful search found since the file was opened, or "".
const char *PAR_get_product(int ind);
/// Finds the next product whose header matches `rhdr` (upper-cased in a
/// copy): 1 found, 0 gave up after 100000 candidates, -1 no file or end of
/// file (or of the index).
int PAR_search(int ind, const char *rhdr);
/// Moves reading, from where it stands, to the start of the next line that
/// holds `needle`, passing over the lines before it without reading them one
/// by one (the next PAR_read delivers that line): 1, or -1 at the end of the
/// file. The last line passed over that begins with `watch` (a product
/// heading such as "FOUS16"; null or "": none), after blanks, control bytes
/// or "** ", becomes the product heading that PAR_get_product gives.
int PAR_find(int ind, const char *needle, const char *watch);
/// Delivers the next line of the current product into `line` (129 bytes);
/// `num` counts the lines already taken: 1 delivered, 0 end of product,
/// -1 no file or end of file.
int PAR_read(int ind, int flag, int num, char *line);
/// Classifies one line (cleaning it in place) and returns its status.
unsigned long PAR_end(int ind, char *line);
/// Header pattern match: 0 for a match, non-zero otherwise (an unclosed
/// class or group never matches). Neither text nor pattern is modified.
int PAR_cmp(const char *hdr, const char *line, const char *pat);

// ---------------------------------------------------------------------------
// Column scanner (scanp.cc)

/// Scanner state: the row being scanned and the counters of the last scan.
struct parse_param {
  const char *ptr;  // the text (not owned, not modified)
  int length;       // its length when attached
  int off;          // start offset of the next scan
  int len;          // characters consumed by the last scan
  int assigned;     // values stored by the last scan
  int matched;      // conversions that succeeded in the last scan
  int done;         // 1 when the last scan worked through its whole format
};

/// Attaches `str` to the scanner (offset 0). Returns 1 (0 for no scanner).
int scanp_set(parse_param *param, const char *str);
/// Sets the start offset of the next scan. Returns 1 (0 for no scanner).
int scanp_off(parse_param *param, int off);
/// Scans at the offset with format `pat`, one pointer per storing
/// conversion: the number of successful conversions, or -1 for no scanner,
/// an empty format or an offset outside the text.
int scanp(parse_param *param, const char *pat, ...);

// ---------------------------------------------------------------------------
// Plot domains and regions (region.cc)

/// A plot domain: projection, centre, grid size and spacing. Unset fields
/// hold -9999 (-9999.0 for reals); `ellipse` is 0 unless asked for.
struct Domain {
  int proj;        // projection code (DOM_proj_str)
  float plat;      // projection latitude parameter
  float plon;      // projection longitude parameter (the standard longitude)
  float param[5];  // further projection parameters; text fills the first four
  float clat;
  float clon;
  float dx;
  float dy;
  int nx;
  int ny;
  int ellipse;  // 1: the projection uses the ellipsoid
};

/// One entry of the region menu.
struct MENU_item {
  char name[32];  // display name, blanks for "_" (20 characters from a region file)
  char abbr[6];   // region name, at most 5 characters
  int index;      // position in the menu
  int disp[2];    // disp[0]: the display flag of the region file
};

/// Decodes a domain text (comma-separated numbers and projection, "id:"
/// station centre, or region name): 1 explicit, 2 region name, -1 invalid
/// (with a warning), -9999 for a null or empty text or "miss". Except for
/// -9999 it sets flag 5 to the result, file-name key "r" to the text and
/// the base priority from the domain's height.
int DOM_decode(const char *str, Domain *dom);
/// Clears the record. Returns 0.
int DOM_init(Domain *dom);
/// The projection code of a keyword ("ps", "lamb", "size" ...): -1 for an
/// unknown or null text, -9999 for "miss".
int DOM_proj_str(const char *str);
/// 1 and the built-in region (us, ne, at, se, mw, sp, nw, sw; "var" asks
/// for its centre), else 0 with the record untouched.
int DOM_get_def_region(const char *name, Domain *dom);
/// Finds entry `name` (null: the first entry) of a region file in the
/// "file_path" directory: 1 and its domain text in `text` (80, cut to 79)
/// when given, or 0 (no file, no such entry, or an empty line first).
int DOM_search_file(const char *file, const char *name, char *text);
/// Loads the region menu from a region file: 1, or 0 (menu unchanged) when
/// the file cannot be opened.
int DOM_read_menu(const char *file);
/// Sets the station plotting priority for a domain of height `size` and
/// the "stat_prior" adjustment; returns it.
int DOM_set_base_prior(float size);
/// The station plotting priority (3 until a domain sets it). Used by tests.
int DOM_get_prior();
/// The region menu (an entry with an empty name after the last region) and
/// in *num, when given, the number of regions in it. Used by tests.
const MENU_item *DOM_get_menu(int *num);
