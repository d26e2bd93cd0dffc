// Deterministic pieces of the benchmark corpus: a seeded random source and
// song texts in a few languages (UTF-8).
#pragma once

#include <cstdint>
#include <string>

namespace corpus {

// splitmix64: the same sequence on every compiler and library, unlike the
// standard distributions.
class Random {
public:
    explicit Random(std::uint64_t seed) : state_(seed) {}
    std::uint64_t Next();
    // Uniform in [low, high].
    int Between(int low, int high);
    // True with the given chance in percent.
    bool Percent(int chance) { return Between(0, 99) < chance; }

private:
    std::uint64_t state_;
};

enum class Language { English, Western, Japanese };

// Lyrics of `lines` lines. English is plain ASCII; Western mixes in accented
// letters that Latin-1 (and so code page 1252) holds; Japanese is mostly
// kana and kanji with some English, now and then a character beyond U+FFFF.
std::string Lyrics(Random& random, Language language, int lines, const char* line_break);

// A short title in the given language.
std::string Title(Random& random, Language language);

}  // namespace corpus
