// Tests of the prompts and the commands typed at them, driven through
// standard input in a child process.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "qel.h"
#include "qelresrc.h"
#include "test_util.h"

using qeltest::capture;
using qeltest::Output;
using qeltest::run_child;

namespace {

// Asks once with QEL_prompts into a buffer that holds "OLD" and prints
// "<answer>"; `length` is the length given to the prompt.
Output ask_word(const std::string &input, int length = 20) {
  return run_child(
      [length] {
        char buf[100] = "OLD";
        QEL_prompts("? ", buf, length);
        printf("<%s>", buf);
      },
      input);
}

Output ask_number(const std::string &input) {
  return run_child([] { printf("<%g>", QEL_promptf("n? ")); }, input);
}

}  // namespace

TEST(Prompts, SetCommandsChangeResourcesAndAskAgain) {
  auto o = run_child(
      [] {
        char buf[20] = "OLD";
        QEL_prompts("id? ", buf, 20);
        printf("<%s|%s|%s|%s>", buf, RES_get("model"), RES_get("label"), RES_get("output"));
      },
      "set model eta\nSET label = a b  c  \nset output\nKEED\n");
  EXPECT_EQ(o.status, 0);
  EXPECT_EQ(o.out, "id? id? id? id? <KEED|eta|a b  c|>");

  o = run_child(
      [] {
        char *answer = QEL_prompts("? ", nullptr, 10);
        printf("<%s><%s>", answer, RES_get("model"));
        free(answer);
      },
      "set model=eta\n");
  EXPECT_EQ(o.out, "? ? <><eta>");  // end of input after the command: an empty answer
}

TEST(Prompts, BareSetListsResources) {
  auto o = run_child(
      [] {
        RES_put("model", "eta");
        RES_put("flag", nullptr);
        char buf[20] = "OLD";
        QEL_prompts("? ", buf, 20);
        printf("<%s>", buf);
      },
      "set\n\n");
  EXPECT_EQ(o.out, "? Set resources\nmodel: eta\nflag:\n\n? <OLD>");
}

TEST(Prompts, ExitEndsTheProcessWithStatus0) {
  for (const char *answer : {"exit\nKEED\n", "EXIT", "Exit now\n"}) {
    auto o = ask_word(answer);
    EXPECT_EQ(o.status, 0) << answer;
    EXPECT_EQ(o.out, "? ") << answer;
  }
  auto o = run_child(
      [] {
        QEL_promptf("n? ");
        printf("returned");
      },
      "exit\n");
  EXPECT_EQ(o.out, "n? ");
}

TEST(Prompts, EmptyAnswersAndEndOfInputKeepTheBuffer) {
  for (const char *input : {"\n", "   \n", "\r\n", ""}) EXPECT_EQ(ask_word(input).out, "? <OLD>") << input;
  EXPECT_EQ(ask_word("set a b").out, "? ? <OLD>");
  auto o = run_child(
      [] {
        char *answer = QEL_prompts("? ", nullptr, 1);  // a new buffer starts empty
        printf("<%s>", answer);
        free(answer);
      },
      "");
  EXPECT_EQ(o.out, "? <>");
}

TEST(Prompts, AnswerIsTheFirstWordCutToLength) {
  EXPECT_EQ(ask_word("  KEED  extra\n").out, "? <KEED>");
  EXPECT_EQ(ask_word("ABCDEFG HIJ\n", 5).out, "? <ABCD>");
  EXPECT_EQ(ask_word("ABC\n", 1).out, "? <A>");  // at least one character
  EXPECT_EQ(ask_word("KEED\r\n").out, "? <KEED>");
}

TEST(Prompts, RestOfAnOverlongLineDoesNotAnswerTheNextPrompt) {
  auto o = run_child(
      [] {
        char a[100] = "", b[100] = "";
        QEL_prompts("? ", a, 100);
        QEL_prompts("? ", b, 100);
        printf("<%zu|%s>", strlen(a), b);
      },
      std::string(300, 'x') + "\nKEED\n");
  EXPECT_EQ(o.out, "? ? <79|KEED>");
}

TEST(Promptf, NumbersRetriesAndEmptyAnswers) {
  EXPECT_EQ(ask_number("abc\n12abc\n").out, "n? n? <12>");
  EXPECT_EQ(ask_number("  -3.5  \n").out, "n? <-3.5>");
  EXPECT_EQ(ask_number("-\n.\n1e3\n").out, "n? n? n? <1000>");
  EXPECT_EQ(ask_number("\n").out, "n? <0>");
  EXPECT_EQ(ask_number("").out, "n? <0>");
  EXPECT_EQ(ask_number("abc").out, "n? n? <0>");
  auto o = run_child(
      [] {
        float n = QEL_promptf("n? ");
        printf("<%g|%s>", n, RES_get("x"));
      },
      "set x 1\n7\n");
  EXPECT_EQ(o.out, "n? n? <7|1>");
}

TEST(SetCommand, WhatCountsAsACommand) {
  EXPECT_EQ(QEL_set_command(nullptr), 0);
  EXPECT_EQ(QEL_set_command("KEED"), 0);
  EXPECT_EQ(QEL_set_command(" set model eta"), 0);   // commands start the answer
  EXPECT_EQ(QEL_set_command("Set\tmodel\teta"), 1);  // only blanks and "=" end the name
  EXPECT_STREQ(RES_get("model\teta"), "");
  EXPECT_EQ(QEL_set_command("set abcdefghijklmnopqrstuvwxyz=v w"), 1);  // the name is cut to 19
  EXPECT_STREQ(RES_get("abcdefghijklmnopqrs"), "v w");
  Output o = capture([] { EXPECT_EQ(QEL_set_command("set =x"), 1); });
  EXPECT_EQ(o.out.rfind("Set resources\n", 0), 0u) << o.out;
}
