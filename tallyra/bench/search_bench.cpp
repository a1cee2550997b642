// How fast the list narrows: 5,000 contacts with names in the Latin, Cyrillic,
// Hebrew and Greek alphabets; the time to build the list from the titles (search
// keys included), and the time per key press (first key, fourth key, delete) beside
// a plain scan of the precomputed search keys in the same run.
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "alphabet.h"
#include "search.h"

using namespace tallyra;

namespace {

using Clock = std::chrono::steady_clock;

const char16_t* const kSyllables[4][8] = {
    {u"an", u"ber", u"Chri", u"del", u"Mar", u"son", u"ti", u"wel"},
    {u"Ан", u"дрей", u"Вла", u"ди", u"мир", u"Ива", u"нов", u"ска"},
    {u"דו", u"יד", u"כה", u"ן", u"מש", u"ה", u"לוי", u"רחל"},
    {u"Γιώ", u"ργος", u"Παπα", u"δό", u"πουλ", u"ος", u"Ελέ", u"νη"}};

struct Lcg {
    unsigned s = 12345;
    unsigned Next() { return s = s * 1103515245u + 12345u, (s >> 16) & 0x7FFF; }
};

CeStd Name(Lcg& r) {
    const auto& syl = kSyllables[r.Next() % 4];
    CeStd out;
    for (int word = 0; word < 2; ++word) {
        if (word) out.push_back(' ');
        const unsigned n = 2 + r.Next() % 2;
        for (unsigned i = 0; i < n; ++i)
            for (const char16_t* p = syl[r.Next() % 8]; *p; ++p) out.push_back(CeChar(*p));
    }
    return out;
}

double Micro(Clock::duration d) { return std::chrono::duration<double, std::micro>(d).count(); }

}  // namespace

int main() {
    const size_t kContacts = 5000;
    const int kReps = 200;
    Lcg rng;
    std::vector<CeStd> titles;
    for (size_t i = 0; i < kContacts; ++i) titles.push_back(Name(rng));

    SearchModel model;
    auto t0 = Clock::now();
    model.Reserve(kContacts);
    for (const CeStd& t : titles) model.Add(t);
    const double build = Micro(Clock::now() - t0);

    // Key sequences taken from real titles, so that the list never simply empties.
    std::vector<std::string> seqs;
    for (int i = 0; i < kReps; ++i) {
        const std::string& k = model.Key(rng.Next() % kContacts);
        const size_t at = k.size() > 4 ? rng.Next() % (k.size() - 4) : 0;
        std::string s = k.substr(at, 4);
        for (char& c : s)
            if (c == kNoGroup) c = '0';
        while (s.size() < 4) s.push_back('0');
        seqs.push_back(s);
    }

    double first = 0, fourth = 0, del = 0, scan1 = 0, scan3 = 0, scan4 = 0;
    size_t shown1 = 0, shown4 = 0, checksum = 0;
    for (const std::string& s : seqs) {
        model.Clear();
        auto a = Clock::now();
        model.AppendKey(s[0] - '0');
        first += Micro(Clock::now() - a);
        shown1 += model.visible().size();
        model.AppendKey(s[1] - '0');
        model.AppendKey(s[2] - '0');
        a = Clock::now();
        model.AppendKey(s[3] - '0');
        fourth += Micro(Clock::now() - a);
        shown4 += model.visible().size();
        a = Clock::now();
        model.AppendKey(8);
        del += Micro(Clock::now() - a);

        // The plain scan: every precomputed key searched for the string, no more.
        for (size_t len : {size_t(1), size_t(3), size_t(4)}) {
            const std::string want = s.substr(0, len);
            a = Clock::now();
            size_t hits = 0;
            for (size_t i = 0; i < kContacts; ++i) hits += model.Key(i).find(want) != std::string::npos;
            (len == 1 ? scan1 : len == 3 ? scan3 : scan4) += Micro(Clock::now() - a);
            checksum += hits;
        }
    }
    std::printf("tallyra search benchmark: %zu contacts (Latin, Cyrillic, Hebrew, Greek), %d key sequences\n",
                kContacts, kReps);
    std::printf("  start-up: titles to a filled list (search keys built)  %9.1f us\n", build);
    std::printf("  first key  (avg %5zu shown)                           %9.1f us\n", shown1 / kReps, first / kReps);
    std::printf("  fourth key (avg %5zu shown)                           %9.1f us\n", shown4 / kReps, fourth / kReps);
    std::printf("  delete (back to three keys)                            %9.1f us\n", del / kReps);
    std::printf("  plain scan of the keys, one key                        %9.1f us\n", scan1 / kReps);
    std::printf("  plain scan of the keys, three keys                     %9.1f us\n", scan3 / kReps);
    std::printf("  plain scan of the keys, four keys                      %9.1f us\n", scan4 / kReps);
    std::printf("  (checksum %zu)\n", checksum);
    return 0;
}
