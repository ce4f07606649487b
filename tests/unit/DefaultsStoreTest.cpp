#include "support/InMemoryDefaultsStore.h"

#include <gtest/gtest.h>

TEST(DefaultsStore, TypedReadsAndPresence) {
    InMemoryDefaultsStore store;
    EXPECT_FALSE(store.contains("k"));
    EXPECT_FALSE(store.string("k").has_value());
    EXPECT_FALSE(store.boolean("k"));
    EXPECT_EQ(store.integer("k"), 0);
    EXPECT_FALSE(store.data("k").has_value());

    store.setBoolean("k", false);
    EXPECT_TRUE(store.contains("k")) << "a stored false is present, unlike an absent key";
    EXPECT_FALSE(store.string("k").has_value()) << "no string of another type";

    store.setInteger("n", 7);
    EXPECT_TRUE(store.boolean("n"));
    EXPECT_EQ(store.integer("n"), 7);
    EXPECT_FALSE(store.data("n").has_value());

    store.setString("s", "YES");
    EXPECT_TRUE(store.boolean("s"));
    store.setString("s", "42");
    EXPECT_EQ(store.integer("s"), 42);
    store.setString("s", "nope");
    EXPECT_FALSE(store.boolean("s"));
    EXPECT_EQ(store.integer("s"), 0);

    store.setData("d", QByteArray("\x00\x01", 2));
    EXPECT_EQ(store.data("d")->size(), 2);
    EXPECT_FALSE(store.string("d").has_value());
    store.remove("d");
    EXPECT_FALSE(store.contains("d"));
}
