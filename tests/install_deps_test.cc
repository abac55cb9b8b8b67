// Tests of tools/install-deps, the one list of the packages the build needs
// and their installation, against stand-ins for dpkg-query, apt-get, id and
// sudo put first on PATH: nothing is installed for real.

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <string>

#include "test_util.h"

using qeltest::Output;
using qeltest::read_file;
using qeltest::run_program;
using qeltest::TempDir;

namespace {

const std::string kScript = std::string(QEL_SOURCE_DIR) + "/tools/install-deps";
const char *const kBuildSet[] = {"g++",           "cmake",         "make",              "libgtest-dev",
                                  "nlohmann-json3-dev", "zlib1g-dev", "pkg-config",   "libcairo2-dev",
                                  "libfontconfig-dev", "libexpat1-dev", "fonts-dejavu-core"};

// A machine of stand-ins: `installed` lists the packages present; apt-get
// logs its arguments and installs what it is asked to.
struct FakeMachine {
  TempDir dir;
  FakeMachine() {
    stub("dpkg-query",
         "for p; do :; done\n"
         "grep -qx \"$p\" \"$STUB_DIR/installed\" && printf 'install ok installed' && exit 0\n"
         "echo \"dpkg-query: no packages found matching $p\" >&2; exit 1\n");
    stub("apt-get",
         "echo \"apt-get $*\" >>\"$STUB_DIR/log\"\n"
         "[ \"$1\" = install ] || exit 0\n"
         "for p; do case $p in -*|install) ;; *) echo \"$p\" >>\"$STUB_DIR/installed\" ;; esac; done\n");
    stub("id", "echo \"$STUB_UID\"\n");
    stub("sudo", "[ \"$STUB_SUDO\" = ok ] || exit 1\n[ \"$1\" = -n ] && shift\nexec \"$@\"\n");
    dir.write("installed", "");
    mkdir(dir.file("lists").c_str(), 0755);
  }
  void stub(const std::string &name, const std::string &body) {
    std::string path = dir.write(name, "#!/bin/sh\n" + body);
    chmod(path.c_str(), 0755);
  }
  void install(const std::string &pkg) { dir.write("installed", read_file(dir.file("installed")) + pkg + "\n"); }
  Output run(const std::string &uid, const std::string &sudo, std::vector<std::string> args) {
    std::vector<std::string> all = {"PATH=" + dir.path() + ":/usr/bin:/bin", "STUB_DIR=" + dir.path(),
                                    "STUB_UID=" + uid,
                                    "STUB_SUDO=" + sudo,
                                    "QEL_APT_LISTS=" + dir.file("lists"),
                                    "/bin/sh",
                                    kScript};
    all.insert(all.end(), args.begin(), args.end());
    return run_program("/usr/bin/env", all);
  }
  std::string log() const { return read_file(dir.file("log")); }
};

}  // namespace

TEST(InstallDeps, InstallsWhatIsMissingOrNamesTheCommand) {
  FakeMachine m;
  for (const char *p : kBuildSet)
    if (std::string(p) != "nlohmann-json3-dev" && std::string(p) != "zlib1g-dev") m.install(p);

  // As root with empty package lists: the dry run says what it would do and does nothing.
  Output o = m.run("0", "no", {"--dry-run"});
  EXPECT_EQ(o.status, 0) << o.err;
  EXPECT_EQ(o.out, "would run: apt-get update\nwould run: apt-get install -y nlohmann-json3-dev zlib1g-dev\n");
  EXPECT_EQ(m.log(), "");

  // The real run updates the lists first, then installs; a second run has nothing to do.
  o = m.run("0", "no", {});
  EXPECT_EQ(o.status, 0) << o.err;
  EXPECT_EQ(m.log(), "apt-get update -q\napt-get install -y -q nlohmann-json3-dev zlib1g-dev\n");
  o = m.run("0", "no", {"build"});
  EXPECT_EQ(o.status, 0);
  EXPECT_EQ(o.out + o.err, "");

  // The test set adds the fuzzing compiler and the zone database. Not root, no sudo: one line naming the command, status 1.
  o = m.run("1000", "no", {"test"});
  EXPECT_EQ(o.status, 1);
  EXPECT_EQ(o.out, "");
  EXPECT_EQ(o.err,
            "install-deps: missing packages: clang libclang-rt-dev tzdata; run: sudo apt-get install -y clang "
            "libclang-rt-dev tzdata\n");

  // Not root, sudo without a password, lists present: sudo it is, without an update.
  m.dir.write("lists/deb_bookworm_main_binary-amd64_Packages.lz4", "");
  o = m.run("1000", "ok", {"--dry-run", "test"});
  EXPECT_EQ(o.out, "would run: sudo -n apt-get install -y clang libclang-rt-dev tzdata\n");
  o = m.run("1000", "ok", {"test"});
  EXPECT_EQ(o.status, 0) << o.err;
  EXPECT_NE(m.log().find("\napt-get install -y -q clang libclang-rt-dev tzdata\n"), std::string::npos) << m.log();

  o = m.run("0", "no", {"everything"});
  EXPECT_EQ(o.status, 2);
}
