// paths.h: what the naming half of the files module (files.cc) takes from
// the path half (paths.cc) beyond the FILE_ functions of qel.h.
#pragma once

#include <string>

namespace qelfiles {

/// "~" and "~user" expanded, without a length limit; the name otherwise.
std::string expand_user(const char *name);

}  // namespace qelfiles
