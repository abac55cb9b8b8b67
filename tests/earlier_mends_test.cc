// Earlier mends that no other test would miss: each part below fails when
// its mend is taken back.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/ipc.h>
#include <sys/msg.h>
#include <unistd.h>

#include <cstdlib>
#include <ctime>
#include <string>

#include "qelresrc.h"
#include "test_util.h"

using qeltest::data_file;
using qeltest::read_file;
using qeltest::run_child;
using qeltest::run_qelmos;

TEST(EarlierMends, EachStillHolds) {
  // Loop-window replies: a message longer than the 120 bytes received is
  // cut rather than left in the queue as an error, and a reply without a
  // terminator ends where it ends, not where an earlier, longer one did.
  int q = msgget(qeltest::window_key(21), IPC_CREAT | 0600);
  ASSERT_GE(q, 0);
  mqueuebuf m{};
  m.mtype = 3;
  memset(m.mtext, 'y', sizeof m.mtext);
  m.mtext[0] = '0';
  ASSERT_EQ(msgsnd(q, &m, sizeof m.mtext, 0), 0);
  memcpy(m.mtext, "1ab", 3);
  ASSERT_EQ(msgsnd(q, &m, 3, 0), 0);
  char item[200];
  EXPECT_EQ(MQ_get(q, 3, item), 0);
  EXPECT_EQ(std::string(item), std::string(119, 'y'));
  EXPECT_EQ(MQ_get(q, 3, item), 1);
  EXPECT_STREQ(item, "ab");
  msgctl(q, IPC_RMID, nullptr);

  // A standard stream named on the search path is read, never closed.
  auto o = run_child(
      [] {
        ASSERT_EQ(DEF_open("-"), 0);
        char name[50], value[200];
        ASSERT_EQ(DEF_get(name, value), 1);
        DEF_close();
        printf("%s=%s %d\n", name, value, fcntl(0, F_GETFD) != -1);
      },
      "*model: eta\n");
  EXPECT_EQ(o.out, "*model=eta 1\n");

  // Standard input from a file serves both retrievals of the compact line.
  std::string nc = data_file("name_conv");
  o = run_qelmos({"-nc", nc, "-id", "KELN", "-mo", "gfs", "-ou", "zim_fore", "-"},
                 read_file(data_file("gfs_mav_with_kind.txt")));
  EXPECT_EQ(o.out, "40 25 37 0 3 15 7 1 40 25 37 0 3 15\n");

  // An empty identifier is asked for.
  o = run_qelmos({"-nc", nc, "-id", "", "-mo", "gfs", data_file("gfs_mav_fous26_00z.txt")}, "KEED\n");
  EXPECT_EQ(o.status, 0);
  EXPECT_NE(o.out.find("Enter the station: "), std::string::npos) << o.out;
  EXPECT_NE(o.out.find("  GFS MOS data for KEED\n"), std::string::npos) << o.out;

  // A "qelcurtime" without digits leaves the base time to the clock.
  o = run_child([] {
    setenv("qelcurtime", "#now", 1);
    char tmpl[] = "@%Y", out[QEL_NAME_LEN];
    FILE_set_name(tmpl);
    FILE_set_current("0", out);
    time_t now = time(nullptr);
    printf("%d\n", atoi(out) == gmtime(&now)->tm_year + 1900);
  });
  EXPECT_EQ(o.out, "1\n");
}
