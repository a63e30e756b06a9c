#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "engine/formats/sha1.h"

// Digests made by sha1sum of the bytes (i * 7 + 3) & 0xFF, i = 0..n-1.
TEST(EngineSha1, MatchesReferenceDigestsAtBlockEdges) {
  struct {
    size_t n;
    const char* digest;
  } cases[] = {
      {0, "da39a3ee5e6b4b0d3255bfef95601890afd80709"},  {1, "9842926af7ca0a8cca12604f945414f07b01e13d"},
      {55, "ddf57317ef34bfee3b6df83d359098930eb278bc"}, {56, "a0d492bb0fc889d0eca3bc137066ab6f4f74f369"},
      {63, "c55856749bef509bdfe6bfebfc7bf4e793e82132"}, {64, "bede92be29c3874e1b54ddc77988d606fc857a8e"},
      {65, "b05a80522b053d6dc7e0a517d0e70212c7dad11f"}, {1000, "4231a8a50a10fa9758db8ec71fdef855b751048a"},
  };
  std::vector<unsigned char> data(1000);
  for (size_t i = 0; i < data.size(); i++) data[i] = (unsigned char)((i * 7 + 3) & 0xFF);
  for (auto& c : cases) {
    char out[TARQ_SHA1_TEXT_SIZE + 8];
    memset(out, 'x', sizeof out);
    EXPECT_EQ(tarq_sha1(data.data(), c.n, out), 1);
    EXPECT_STREQ(out, c.digest) << "length " << c.n;
    EXPECT_EQ(out[41], 'x');  // nothing written past the NUL
  }
  char out[TARQ_SHA1_TEXT_SIZE];
  tarq_sha1(nullptr, 0, out);
  EXPECT_STREQ(out, "da39a3ee5e6b4b0d3255bfef95601890afd80709");
}
