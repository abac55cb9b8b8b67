// Tests of the loop-window link against a real loop window (tools/loopwin)
// and, for answers a loop window never gives, a peer thread. Each test
// uses queue keys of its own process (qeltest::window_key).

#include <gtest/gtest.h>
#include <sys/ipc.h>
#include <sys/msg.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "qel.h"
#include "test_util.h"

using qeltest::capture;
using qeltest::LoopWindow;
using qeltest::read_file;
using qeltest::run_child;
using qeltest::TempDir;

namespace {

using Replies = std::vector<std::pair<int, std::string>>;

// The replies of connection `conn` up to and including the first non-zero code.
Replies replies(int q, int conn) {
  Replies got;
  char item[120];
  for (int code = 0; code == 0 && got.size() < 20;) {
    code = MQ_get(q, conn, item);
    got.emplace_back(code, item);
  }
  return got;
}

// Sends a message of `type` with `text` (code character included) straight to the queue.
void raw_send(int q, long type, const std::string &text) {
  mqueuebuf m{};
  m.mtype = type;
  snprintf(m.mtext, sizeof m.mtext, "%s", text.c_str());
  ASSERT_EQ(msgsnd(q, &m, 120, 0), 0);
}

bool waiting(int q, long type) {
  mqueuebuf m;
  return msgrcv(q, &m, 120, type, IPC_NOWAIT) >= 0;
}

}  // namespace

TEST(MqOpen, NoQueueForTheKeyGivesMinusOne) {
  int stale = msgget(qeltest::window_key(1), 0);
  if (stale >= 0) msgctl(stale, IPC_RMID, nullptr);
  EXPECT_EQ(MQ_open(qeltest::window_key(1)), -1);
  EXPECT_EQ(errno, ENOENT);  // the registry tells "not running" by it
  // Key 0 would make msgget create a private queue: treated as no window.
  errno = 0;
  EXPECT_EQ(MQ_open(0), -1);
  EXPECT_EQ(errno, ENOENT);

  // A window that reached its time limit has removed its queue.
  LoopWindow win(qeltest::window_key(1), {"-t", "0.3"});
  ASSERT_TRUE(win.ready());
  EXPECT_NE(MQ_open(qeltest::window_key(1)), -1);
  EXPECT_EQ(win.wait(5), 0);
  EXPECT_EQ(MQ_open(qeltest::window_key(1)), -1);
}

TEST(MqLink, HandshakeQueriesSettingsAndQuit) {
  TempDir dir;
  std::string log = dir.file("log");
  LoopWindow win(qeltest::window_key(2), {"-l", log}, {"model=eta", "path=a", "path=b"});
  ASSERT_TRUE(win.ready());
  int q = MQ_open(qeltest::window_key(2));
  ASSERT_NE(q, -1);
  // Stale answers left in the queue: an old handshake and an old reply to id 3.
  raw_send(q, 2, "29");
  raw_send(q, 3, "0stale\n");
  EXPECT_EQ(MQ_connect(q), 3);
  EXPECT_FALSE(waiting(q, 3));
  EXPECT_EQ(MQ_connect(q), 4);
  // Ids come round after 207, the last one a code byte carries.
  mqueuebuf m;
  for (int id = 5; id <= 207; id++) {
    raw_send(q, 1, "/0");
    ASSERT_GE(msgrcv(q, &m, 120, 2, 0), 0);
    ASSERT_EQ(std::string(m.mtext), "2" + std::to_string(id));
  }
  EXPECT_EQ(MQ_connect(q), 3);

  // Replies are read by connection id, whatever came first.
  ASSERT_EQ(MQ_put(q, 3, "query res %s", "model"), 0);
  ASSERT_EQ(MQ_put(q, 4, "query res %s", "path"), 0);
  EXPECT_EQ(replies(q, 4), (Replies{{0, "a\n"}, {0, "b\n"}, {1, ""}}));
  EXPECT_EQ(replies(q, 3), (Replies{{0, "eta\n"}, {1, ""}}));
  MQ_put(q, 3, "query res nothing");
  EXPECT_EQ(replies(q, 3), (Replies{{0, "!\n"}, {1, ""}}));

  MQ_put(q, 3, "set res %s %s", "model", "gfs x");
  MQ_put(q, 3, "set res %s %s", "label", "");
  EXPECT_EQ(replies(q, 3), (Replies{{1, ""}}));
  EXPECT_EQ(replies(q, 3), (Replies{{1, ""}}));
  MQ_put(q, 3, "query res model");
  EXPECT_EQ(replies(q, 3), (Replies{{0, "gfs x\n"}, {1, ""}}));
  MQ_put(q, 3, "query res label");
  EXPECT_EQ(replies(q, 3), (Replies{{0, "\n"}, {1, ""}}));

  // A text longer than a message holds is cut to 118 characters.
  MQ_put(q, 3, "%s", std::string(300, 'x').c_str());
  EXPECT_EQ(replies(q, 3), (Replies{{1, ""}}));

  MQ_put(q, 3, "quit");
  EXPECT_EQ(replies(q, 3), (Replies{{1, ""}}));
  EXPECT_EQ(win.wait(5), 0);
  EXPECT_EQ(MQ_open(qeltest::window_key(2)), -1);  // the window removed its queue
  EXPECT_EQ(read_file(log),
            "query res model\nquery res path\nquery res nothing\nset res model gfs x\n"
            "set res label \nquery res model\nquery res label\n" +
                std::string(118, 'x') + "\nquit\n");
}

TEST(MqGet, PollsUntilADelayedReplyArrives) {
  LoopWindow win(qeltest::window_key(3), {"-d", "0.6"});
  ASSERT_TRUE(win.ready());
  int q = MQ_open(qeltest::window_key(3));
  int conn = MQ_connect(q);
  ASSERT_EQ(conn, 3);
  MESS_set(1, M_DEBUGD);
  int code = -9;
  char item[120];
  auto t0 = std::chrono::steady_clock::now();
  auto o = capture([&] {
    MQ_put(q, conn, "query res model");
    code = MQ_get(q, conn, item);
  });
  double waited = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  EXPECT_GE(waited, 0.55);
  EXPECT_EQ(code, 0);
  EXPECT_STREQ(item, "!\n");
  EXPECT_EQ(o.out.rfind("PUT:3:3query res model\nGET-MSG:3 -1 " + std::to_string(ENOMSG) + " 0\n", 0), 0u) << o.out;
  EXPECT_NE(o.out.find("GET:0!\n"), std::string::npos) << o.out;
  // Two quick tries, then one every 0.1 s (about eight in 0.6 s), never faster.
  int tries = 0;
  for (size_t at = 0; (at = o.out.find("GET-MSG:3 -1", at)) != std::string::npos; at++) tries++;
  EXPECT_GE(tries, 4);
  EXPECT_LE(tries, 3 + static_cast<int>(waited * 10));
}

TEST(MqTimeLimit, SilentPeerEndsTheProcessWithStatus7) {
  LoopWindow win(qeltest::window_key(4), {"-n"});
  ASSERT_TRUE(win.ready());
  auto t0 = std::chrono::steady_clock::now();
  auto o = run_child([] {
    MQ_set_time_limit(1);
    MQ_connect(MQ_open(qeltest::window_key(4)));
    printf("returned");
  });
  EXPECT_EQ(o.status, 7);
  EXPECT_EQ(o.out, "");
  EXPECT_EQ(o.err, "Queue not responding!!\n");
  EXPECT_GE(std::chrono::steady_clock::now() - t0, std::chrono::milliseconds(900));

  // A queue that nobody reads fills up and stops a send the same way.
  int q = msgget(qeltest::window_key(6), IPC_CREAT | 0600);
  ASSERT_GE(q, 0);
  o = run_child([] {
    MQ_set_time_limit(1);
    int q = MQ_open(qeltest::window_key(6));
    for (int i = 0; i < 100000; i++) MQ_put(q, 3, "query res model");
    printf("returned");
  });
  msgctl(q, IPC_RMID, nullptr);
  EXPECT_EQ(o.status, 7);
  EXPECT_EQ(o.out, "");
  EXPECT_EQ(o.err, "Queue not responding!!\n");
}

TEST(MqConnect, UnexpectedAnswersGiveMinusOne) {
  int q = msgget(qeltest::window_key(5), IPC_CREAT | 0600);
  ASSERT_GE(q, 0);
  for (const char *answer : {"7", "5", "21", "2x", "2"}) {
    std::thread peer([q, answer] {
      mqueuebuf m;
      if (msgrcv(q, &m, 120, 1, 0) >= 0) raw_send(q, 2, answer);
    });
    EXPECT_EQ(MQ_connect(q), -1) << answer;
    peer.join();
  }
  msgctl(q, IPC_RMID, nullptr);
}

TEST(MqLink, InvalidQueueFailsAtOnce) {
  char item[120] = "junk";
  EXPECT_EQ(MQ_put(-1, 3, "quit"), -1);
  EXPECT_EQ(MQ_get(-1, 3, item), -1);
  EXPECT_STREQ(item, "");
  EXPECT_EQ(MQ_clear(-1, 3), -1);
  EXPECT_EQ(MQ_connect(-1), -1);

  // Null arguments fail without touching a working queue.
  int q = msgget(qeltest::window_key(7), IPC_CREAT | 0600);
  ASSERT_GE(q, 0);
  raw_send(q, 3, "0waiting");
  const char *no_format = nullptr;
  EXPECT_EQ(MQ_put(q, 3, no_format), -1);
  EXPECT_EQ(MQ_get(q, 3, nullptr), -1);
  EXPECT_TRUE(waiting(q, 3));
  EXPECT_FALSE(waiting(q, 1));
  msgctl(q, IPC_RMID, nullptr);
}
