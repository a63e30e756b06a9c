// String tables: the configuration and block forms, lookups and the placeholder.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "engine/formats/stable.h"
#include "engine/formats/stable_blocks.h"
#include "engine/io/file.h"
#include "engine/io/stream_values.h"
#include "engine/tarq.h"
#include "tests/support/temp_dir.h"

namespace {

using strings = std::vector<std::string>;

tarq_stable* config(const std::string& text) {
  tarq_file* f = tarq_fopen_memory(text.data(), (int32_t)text.size());
  tarq_stable* t = tarq_load_stable_config_from_file(f);
  tarq_fclose(f);
  return t;
}

tarq_stable* block(const std::string& text) {
  tarq_file* f = tarq_fopen_memory(text.data(), (int32_t)text.size());
  tarq_stable* t = tarq_load_stable_from_file(f);
  tarq_fclose(f);
  return t;
}

strings values(const tarq_stable* t, const char* key) {
  strings out;
  for (int32_t i = 0; i < cdict_entries(t, key); i++) out.push_back(tarq_sts(t, key, i));
  return out;
}

TEST(EngineStable, ConfigLineShapes) {
  struct {
    const char* line;
    const char* key;
    strings values;
  } cases[] = {
      {"title: My Cart", "title", {"My Cart"}},
      {"title:My Cart", "title", {"My Cart"}},
      {"tags:: a  b c", "tags", {"a", "b", "c"}},
      {"tags::a b", "tags", {"a", "b"}},
      {"id 42", "id", {"42"}},
      {"id   ::42", "id", {"42"}},
      {"x=5", "x", {"=5"}},
      {"  lid: 7 ", "lid", {"7 "}},
      {"empty:", "empty", {}},
      {"bare", "bare", {}},
      {"k:\tv", "k", {"\tv"}},
  };
  for (auto& c : cases) {
    tarq_stable* t = config(c.line);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->key_count, 1) << c.line;
    EXPECT_EQ(values(t, c.key), c.values) << c.line;
    tarq_destroy_stable(t);
  }
}

TEST(EngineStable, RepeatedKeysAndComments) {
  tarq_stable* t = config("a: 1\na: 2\n// note\n\n---\nb: 3\na: 4\n");
  EXPECT_EQ(values(t, "a"), (strings{"1", "2"}));  // the first a is found
  EXPECT_STREQ(tarq_sts(t, "a", 1), "2");
  EXPECT_EQ(t->key_count, 3);
  EXPECT_EQ(t->string_count, 4);
  EXPECT_EQ(values(t, "b"), strings{"3"});
  tarq_destroy_stable(t);
}

TEST(EngineStable, MissingKeyOrIndexGivesThePlaceholder) {
  tarq_stable* t = config("a: 1\nb: 2\n");
  EXPECT_STREQ(tarq_sts(t, "zz", 0), " ");
  EXPECT_EQ(tarq_sts(t, "zz", 0), tarq_no_stable_string);
  EXPECT_EQ(tarq_sts(t, "a", 1), tarq_no_stable_string);  // b's string is not a's
  EXPECT_EQ(tarq_sts(t, "a", -1), tarq_no_stable_string);
  EXPECT_EQ(tarq_sts(nullptr, "a", 0), tarq_no_stable_string);
  EXPECT_EQ(cdict_entries(t, "zz"), 0);
  EXPECT_EQ(cdict_entries(nullptr, "a"), 0);
  tarq_destroy_stable(t);
}

TEST(EngineStable, BlockForm) {
  tarq_stable* t = block(
      "// a comment\n"
      "names {\n"
      "  \"one\" \"two\" / \"not this\"\n"
      "  \"three\n"
      "}\n"
      "\n"
      "  more\n"
      "\"x\" }\n"
      "after\n"
      "\"y\"\n");
  EXPECT_EQ(values(t, "names"), (strings{"one", "two", "three"}));
  EXPECT_EQ(cdict_entries(t, "more"), 0);  // a brace ends the block, strings before it included
  EXPECT_EQ(values(t, "after"), strings{"y"});
  tarq_destroy_stable(t);
}

TEST(EngineStable, BlockFormEmptyAndUnterminated) {
  tarq_stable* t = block("");
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(t->key_count, 0);
  tarq_destroy_stable(t);
  t = block("k\n\"open");
  EXPECT_EQ(values(t, "k"), strings{"open"});
  tarq_destroy_stable(t);
}

TEST(EngineStable, LongLinesAreSplitAtTheBuffer) {
  std::string text = "k: " + std::string(1500, 'v');
  tarq_stable* t = config(text);
  EXPECT_EQ(strlen(tarq_sts(t, "k", 0)), 1020u);  // 1023 characters a line
  EXPECT_EQ(t->key_count, 2);                     // the rest reads as a line of its own
  tarq_destroy_stable(t);
}

TEST(EngineStable, FilesAndTheObjectCount) {
  tovo_test::temp_dir dir;
  std::ofstream(dir.file("info.nfo")) << "title: Shed\r\ncatsub: 3\r\n";
  int32_t before = tarq_loop.tarq_items_created;
  tarq_stable* t = tarq_load_stable_config(dir.file("info.nfo").c_str());
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(tarq_loop.tarq_items_created, before + 1);
  EXPECT_STREQ(tarq_sts(t, "title", 0), "Shed");
  EXPECT_STREQ(tarq_sts(t, "catsub", 0), "3");
  tarq_destroy_stable(t);
  EXPECT_EQ(tarq_loop.tarq_items_created, before);

  std::ofstream(dir.file("b.txt")) << "k\n\"v\"\n}\n";
  t = tarq_load_stable(dir.file("b.txt").c_str());
  EXPECT_EQ(values(t, "k"), strings{"v"});
  tarq_destroy_stable(t);

  EXPECT_EQ(tarq_load_stable_config(dir.file("missing").c_str()), nullptr);
  EXPECT_EQ(tarq_load_stable(dir.file("missing").c_str()), nullptr);
  EXPECT_EQ(tarq_loop.tarq_items_created, before);
}

TEST(EngineStable, ManyKeysGrowTheArrays) {
  std::string text;
  for (int i = 0; i < 300; i++) text += "k" + std::to_string(i) + ":: a b\n";
  tarq_stable* t = config(text);
  EXPECT_EQ(t->key_count, 300);
  EXPECT_EQ(t->string_count, 600);
  EXPECT_STREQ(tarq_sts(t, "k299", 1), "b");
  tarq_destroy_stable(t);
}

}  // namespace
