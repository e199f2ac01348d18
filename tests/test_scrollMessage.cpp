#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <string>

#include "scene/scrollMessage.h"

namespace {
const std::string message(scrollMessage);
const std::string marks = "!\"'()*,-.:;?";
}  // namespace

TEST(ScrollMessage, ShapeOfTheText) {
  EXPECT_EQ(message.size(), 1440u);
  EXPECT_EQ(std::strlen(scrollMessage), message.size()) << "no stray terminator inside";
  for (size_t i = 0; i < message.size(); ++i) {
    const int code = static_cast<unsigned char>(message[i]);
    EXPECT_TRUE(code >= 32 && code <= 122) << "character " << i << " has code " << code;
  }
  // The strip runs empty for 47 spaces before the first glyph; the text ends on a glyph.
  EXPECT_EQ(message.find_first_not_of(' '), 47u);
  EXPECT_NE(message.back(), ' ');
}

TEST(ScrollMessage, MixOfCharacters) {
  int upper = 0, lower = 0, digits = 0, spaces = 0, punctuation = 0;
  std::string others;
  for (const char c : message) {
    if (std::isupper(static_cast<unsigned char>(c))) {
      ++upper;
    } else if (std::islower(static_cast<unsigned char>(c))) {
      ++lower;
    } else if (std::isdigit(static_cast<unsigned char>(c))) {
      ++digits;
    } else if (c == ' ') {
      ++spaces;
    } else if (marks.find(c) != std::string::npos) {
      ++punctuation;
    } else {
      others += c;
    }
  }
  EXPECT_EQ(upper, 872);
  EXPECT_EQ(lower, 170);
  EXPECT_EQ(digits, 11);
  EXPECT_EQ(spaces, 311);
  EXPECT_EQ(punctuation, 76);
  EXPECT_EQ(others, "") << "only letters, digits, spaces and the twelve marks";
}

TEST(ScrollMessage, PausesBetweenSentences) {
  // Runs of two or more spaces after the leading one give the reader short breathers.
  int runs = 0;
  for (size_t i = message.find_first_not_of(' '); i + 1 < message.size(); ++i) {
    if (message[i] != ' ' && message[i + 1] == ' ' && i + 2 < message.size() &&
        message[i + 2] == ' ') {
      ++runs;
    }
  }
  EXPECT_EQ(runs, 10);
}
