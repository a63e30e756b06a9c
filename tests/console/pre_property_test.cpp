// Properties of the text passes over a corpus of cart code and over fuzzed
// input: every newline and every string byte survives preprocessing, output
// stays inside its buffer, and nothing hangs or trips a sanitizer.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "console/run/include.h"
#include "console/run/pre.h"
#include "console/run/token.h"

namespace {

const char* const corpus[] = {
    R"(-- bouncing ball
x, y, dx, dy = 64, 64, 1.5, -0.75
function _update()
  x += dx y += dy
  if (x < 0 or x > 127) dx = -dx
  if (y < 0 or y > 127) dy *= -1
  if (btnp(4)) ?"boing"
end
function _draw()
  cls(1) circfill(x, y, 3, 8)
  print("x:"..flr(x), 2, 2, 7) -- position
end
)",
    R"(--[[ particles
  a long comment with "quotes" and += and if (x) y
]]
parts = {}
function add_part(x, y)
  add(parts, {x = x, y = y, t = 0, c = 8 + flr(rnd(4))})
end
function upd_parts()
  for p in all(parts) do
    p.t += 1
    p.y -= 0.5
    if (p.t > 30) del(parts, p)
  end
end
local s = [[
multi-line string with ?print and != inside
]]
)",
    R"(t = {a = {b = {1, 2, 3}}}
t.a.b[2] ..= "x"
t["key"] = 'single \' quote'
n = 0x1f.8 + 0b1010 - .25
n <<= 2 n >>= 1 n >>>= 1 n ^^= 0xff n <<>= 3 n >><= 3
n \= 2 n %= 7 n &= 3 n |= 8 n ^= 2
while (n > 0) n -= 1
repeat n += 1 until n != 10
s = "tab\tescaped\\" .. 'mixed "quotes"'
// an old-style comment
goto done ::done::
)",
    R"(function make_enemy(kind)
  local e = {kind = kind, hp = kind == 1 and 3 or 5}
  e.update = function(self)
    self.hp -= 1
    if (self.hp <= 0) self.dead = true
  end
  return e
end
enemies = {make_enemy(1), make_enemy(2)}
for i = 1, #enemies do enemies[i]:update() end
msg = "line one\
line two"
?msg
)",
    "a = 1\r\nb = 2\r\n-- crlf lines\r\nc += a * b\r\n",
    "\x80 = 1 \x81 += 2 if (\x80) \x82 = \x81\n",
};

struct pass_result {
  int status;
  std::string out;
};

pass_result preprocess(const std::string& in, int32_t size) {
  std::vector<char> out(static_cast<size_t>(size), 'x');
  tovo_text_result r;
  pass_result p;
  p.status = tovo_preprocess(in.c_str(), out.data(), size, &r);
  p.out.assign(out.data(), strnlen(out.data(), out.size()));
  EXPECT_EQ(p.status, r.status);
  EXPECT_LT(p.out.size(), static_cast<size_t>(size));
  if (p.status != 0) {
    EXPECT_STREQ(r.message, "program too large");
    EXPECT_TRUE(p.out.empty());
  }
  return p;
}

size_t newlines(const std::string& s) { return static_cast<size_t>(std::count(s.begin(), s.end(), '\n')); }

std::vector<std::string> strings_of(const std::string& text) {
  std::vector<std::string> strings;
  tovo_token_state ts;
  const char* p = get_first_token(&ts, text.c_str());
  while (ts.token != TOVO_TOK_END_OF_TEXT) {
    if (ts.token == TOVO_TOK_STRING) strings.emplace_back(ts.ident, static_cast<size_t>(ts.ident_len));
    p = get_next_token(&ts, p);
  }
  return strings;
}

// Every string of the input appears byte for byte in the output, in order.
bool strings_survive(const std::string& in, const std::string& out) {
  size_t at = 0;
  for (const std::string& s : strings_of(in)) {
    const size_t found = out.find(s, at);
    if (found == std::string::npos) return false;
    at = found + s.size();
  }
  return true;
}

void check_text_passes(const std::string& in, int32_t size) {
  const std::string text(in.c_str());  // up to the first NUL, as the passes read it
  const pass_result p = preprocess(text, size);
  if (p.status == 0) {
    EXPECT_EQ(newlines(p.out), newlines(text)) << text;
    EXPECT_TRUE(strings_survive(text, p.out)) << text << "\n=>\n" << p.out;
  }
  EXPECT_LE(count_tokens(text.c_str()), static_cast<int>(text.size()));

  std::vector<char> flat(static_cast<size_t>(size), 'x');
  tovo_text_result r;
  const int status = tovo_flatten_includes(text.c_str(), flat.data(), size, &r);
  const std::string copied(flat.data(), strnlen(flat.data(), flat.size()));
  if (status == 0) {
    EXPECT_EQ(copied, text);
  } else if (status == 1) {
    EXPECT_EQ(text.compare(0, copied.size(), copied), 0);
  } else {
    EXPECT_TRUE(copied.empty());
  }
}

TEST(PreprocessProperty, Corpus) {
  for (const char* cart : corpus) {
    check_text_passes(cart, TOVO_PRE_OUT_SIZE);
    tovo_text_result r;
    EXPECT_EQ(tovo_check_code_limits(cart, &r), 0);
    const pass_result p = preprocess(cart, TOVO_PRE_OUT_SIZE);
    ASSERT_EQ(p.status, 0);
    // Nothing of the shorthand is left outside strings.
    for (const char* gone : {"?", "!=", "+=", "-=", "--", "//"}) {
      std::string outside = p.out;
      for (const std::string& s : strings_of(p.out)) {
        const size_t at = outside.find(s);
        if (at != std::string::npos) outside.replace(at, s.size(), s.size(), ' ');
      }
      EXPECT_EQ(outside.find(gone), std::string::npos) << gone << " in\n" << p.out;
    }
  }
}

// Random texts built from the pieces that the rules look at, random bytes and
// mutated corpus entries, run through every text pass with small and large
// output buffers.
TEST(PreprocessProperty, FuzzedInput) {
  const char* pieces[] = {
      "x",  "t",   "a.b", "f",  "(",  ")",  "[",   "]",   "{",         "}",    "+=",   "-=",  "..=", ">>>=", "<<>=",
      "^=", "^^=", "\\=", "!=", "?",  "if", "if ", "if(", "while ",    "then", "do",   "end", "and", "or",   "not",
      " ",  " ",   "\t",  "\n", "\"", "'",  "\\",  "[[",  "]]",        "--",   "--[[", "//",  "1",   "0x1f", ".5",
      "-",  "~",   ".",   ":",  "::", ";",  ",",   "=",   "#include ", "\r",   "\x80", "gif"};
  std::mt19937 rng(20261210);
  auto pick = [&](size_t n) { return static_cast<size_t>(rng() % n); };
  for (int iteration = 0; iteration < 3000; iteration++) {
    std::string text;
    const size_t kind = pick(3);
    if (kind == 0) {
      const size_t n = 1 + pick(60);
      for (size_t i = 0; i < n; i++) text += pieces[pick(sizeof pieces / sizeof pieces[0])];
    } else if (kind == 1) {
      const size_t n = 1 + pick(200);
      for (size_t i = 0; i < n; i++) text += static_cast<char>(1 + pick(255));
    } else {
      text = corpus[pick(sizeof corpus / sizeof corpus[0])];
      for (size_t m = 1 + pick(8); m > 0; m--) {
        const size_t at = pick(text.size() + 1);
        const std::string piece = pieces[pick(sizeof pieces / sizeof pieces[0])];
        if (pick(2) == 0 || at == text.size()) text.insert(at, piece);
        else text.erase(at, 1 + pick(8));
      }
    }
    const int32_t size = pick(4) == 0 ? 16 + static_cast<int32_t>(pick(64)) : 8192;
    check_text_passes(text, size);
    if (HasFailure()) {
      ADD_FAILURE() << "iteration " << iteration;
      return;
    }
  }
}

}  // namespace
