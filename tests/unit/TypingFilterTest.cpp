#include "platform/TypingFilter.h"

#include <gtest/gtest.h>

// Each control character below would be pressed as a key: Escape, BackSpace, Delete, Return.
TEST(TypingFilter, DropsControlCharactersButKeepsNewlinesAndTabs) {
    EXPECT_EQ(TypingFilter::typable(QStringLiteral("a\x1b"
                                                   "b\b"
                                                   "c\x7f"
                                                   "d\r"
                                                   "e\x01"
                                                   "f")),
              QStringLiteral("abcdef"));
    EXPECT_EQ(TypingFilter::typable(QStringLiteral("one\ttwo\nthree")),
              QStringLiteral("one\ttwo\nthree"));
    EXPECT_EQ(TypingFilter::typable(QStringLiteral("Grüße, 東京 🙂")),
              QStringLiteral("Grüße, 東京 🙂"))
        << "printable text beyond ASCII is kept whole, surrogate pairs included";
}

// A final Return would run the line in a terminal.
TEST(TypingFilter, NeverEndsWithANewline) {
    EXPECT_EQ(TypingFilter::typable(QStringLiteral("rm -rf build\n")),
              QStringLiteral("rm -rf build"));
    EXPECT_EQ(TypingFilter::typable(QStringLiteral("ls\r\n\n")), QStringLiteral("ls"));
    EXPECT_EQ(TypingFilter::typable(QStringLiteral("ls\n\x1b")), QStringLiteral("ls"))
        << "a control character after the newline does not shield it";
    EXPECT_EQ(TypingFilter::typable(QStringLiteral("\n")), QString());
}
