// resrc_args.h: what the registry (resrc.cc) and its two command-line
// passes (resrc_args.cc) share. Nothing else includes it.
#pragma once

#include "qelresrc.h"

namespace qelresrc {

/// The position number of a positional definition that collects every
/// further argument.
constexpr int kCollect = 10;

/// Whether a definition has a name: one without takes part in nothing.
inline bool has_def(const RES_defobj &d) { return d.def && *d.def; }

/// First pass: only the single-dash, case-exact "name" and "default"/"df"
/// forms, before any defaults file is read.
void first_pass(int argc, char **argv);
/// Second pass, after the defaults files, the loop window and the
/// environment: every option and argument against the definition table.
/// Options that match no definition are stored by name and remembered for
/// warn_unknown_options.
void second_pass(int argc, char **argv, RES_defobj *table);
/// Names each remembered unknown option once, in the order typed, in a
/// warning ("unknown option -NAME"), and forgets them.
void warn_unknown_options();

/// Sends a value set on the command line to the connected loop window and
/// waits for its answer; nothing without a window (resrc.cc).
void window_set(const char *def, const char *value);

}  // namespace qelresrc
