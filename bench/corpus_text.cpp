#include "bench/corpus_text.h"

#include <iterator>

namespace corpus {

std::uint64_t Random::Next()
{
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

int Random::Between(int low, int high)
{
    const std::uint64_t span = static_cast<std::uint64_t>(high - low) + 1;
    return low + static_cast<int>(Next() % span);
}

namespace {

const char* const kEnglish[] = {
    "the", "night", "is", "falling", "down", "on", "empty", "streets", "and", "I",
    "remember", "your", "voice", "calling", "me", "home", "again", "under", "silver",
    "lights", "we", "were", "young", "running", "through", "rain", "never", "looking",
    "back", "hold", "on", "to", "the", "radio", "song", "that", "played", "all",
    "summer", "long", "burning", "heart", "open", "road", "tomorrow", "maybe", "stay",
};

// UTF-8; every letter is in Latin-1.
const char* const kWestern[] = {
    "café", "déjà", "vu", "été", "frère", "über", "Straße", "Grüße", "mañana",
    "corazón", "señor", "naïve", "façade", "À", "bientôt", "Müller", "schön",
    "noël", "garçon", "año", "canción", "Åsa", "smörgåsbord", "fjäril", "ø", "æble",
};

const char* const kJapanese[] = {
    "夜空に光る星を数えて", "君の声が聞こえる", "さよならは言わないで", "風の中で歌う",
    "東京の街角で", "涙の理由を知りたい", "明日へ続く道", "ありがとう", "もう一度だけ",
    "春の雨", "花びらが舞う", "ずっとそばにいて", "夢を見ていた", "カタカナのメロディー",
    "走り出せ", "青い空", "🎵", "Oh", "yeah", "love",
};

template <std::size_t N>
const char* Pick(Random& random, const char* const (&words)[N])
{
    return words[random.Between(0, static_cast<int>(N) - 1)];
}

std::string Line(Random& random, Language language)
{
    std::string line;
    const int words = random.Between(3, 9);
    for (int i = 0; i < words; ++i) {
        const char* word = nullptr;
        switch (language) {
        case Language::English:
            word = Pick(random, kEnglish);
            break;
        case Language::Western:
            word = random.Percent(35) ? Pick(random, kWestern) : Pick(random, kEnglish);
            break;
        case Language::Japanese:
            word = Pick(random, kJapanese);
            break;
        }
        if (!line.empty() && language != Language::Japanese)
            line += ' ';
        else if (!line.empty() && random.Percent(40))
            line += "\xE3\x80\x80";  // ideographic space
        line += word;
    }
    if (language != Language::Japanese && line[0] >= 'a' && line[0] <= 'z')
        line[0] = static_cast<char>(line[0] - 'a' + 'A');
    return line;
}

}  // namespace

std::string Lyrics(Random& random, Language language, int lines, const char* line_break)
{
    std::string text;
    for (int i = 0; i < lines; ++i) {
        if (i > 0)
            text += line_break;
        // A blank line between verses now and then.
        if (i > 0 && random.Percent(12)) {
            text += line_break;
            continue;
        }
        text += Line(random, language);
    }
    return text;
}

std::string Title(Random& random, Language language)
{
    if (language == Language::Japanese)
        return std::string(Pick(random, kJapanese)) + Pick(random, kJapanese);
    std::string title = Pick(random, kEnglish);
    title += ' ';
    title += language == Language::Western ? Pick(random, kWestern) : Pick(random, kEnglish);
    return title;
}

}  // namespace corpus
