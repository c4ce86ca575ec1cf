#pragma once

// The deterministic mutation loop of the question import's fuzz targets,
// which the suite runs with a short count:
//     fuzz_<reader> [inputs [seed]]
// Seeded from good files, it stops at the first file that breaks the
// target's rule and prints its bytes.

#include <QByteArray>
#include <QList>
#include <QString>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <random>

namespace fuzz {

// Empty when the file keeps the rule; otherwise what went wrong. *accepted:
// whether the reader took the file.
using Fault = std::function<QString(const QByteArray& file, bool* accepted)>;

class Mutator {
public:
    Mutator(quint64 seed, QList<QByteArray> tokens) : m_random(seed), m_tokens(std::move(tokens)) {}

    QByteArray next(const QList<QByteArray>& pool)
    {
        QByteArray file = pool[below(pool.size())];
        const int steps = 1 + int(below(6));
        for (int i = 0; i < steps; ++i)
            mutate(file, pool);
        return file;
    }

    qsizetype below(qsizetype n) { return n <= 0 ? 0 : qsizetype(m_random() % quint64(n)); }

private:
    std::mt19937_64 m_random;
    QList<QByteArray> m_tokens;

    void mutate(QByteArray& file, const QList<QByteArray>& pool)
    {
        const qsizetype at = below(file.size() + 1);
        switch (below(8)) {
        case 0: // a byte changed
            if (!file.isEmpty())
                file[below(file.size())] = char(below(256));
            break;
        case 1: // a byte put in
            file.insert(at, char(below(256)));
            break;
        case 2: // bytes taken out
            file.remove(at, 1 + below(4));
            break;
        case 3:
        case 4: // a piece the reader looks at
            file.insert(at, m_tokens[below(m_tokens.size())]);
            break;
        case 5: // a part of the file repeated
            if (!file.isEmpty()) {
                const qsizetype from = below(file.size());
                file.insert(at, file.mid(from, 1 + below(40)));
            }
            break;
        case 6: // the end cut off
            file.truncate(below(file.size() + 1));
            break;
        case 7: { // a part of another file put in
            const QByteArray& other = pool[below(pool.size())];
            const qsizetype from = below(other.size());
            file.insert(at, other.mid(from, 1 + below(60)));
            break;
        }
        }
        if (file.size() > 4096)
            file.truncate(4096);
    }
};

// The mutation loop: `inputs` files made from the seeds (each seed must be
// taken and keep the rule). `wrap` turns a mutated piece into the file the
// reader gets (a package around an item file); by default the piece is the
// file.
inline int loop(const char* name, int argc, char** argv, QList<QByteArray> pool, const QList<QByteArray>& tokens,
                const Fault& fault, const std::function<QByteArray(const QByteArray&)>& wrap = {})
{
    const long long inputs = argc > 1 ? std::atoll(argv[1]) : 100000;
    const quint64 seed = argc > 2 ? std::strtoull(argv[2], nullptr, 10) : 1;
    const auto fileOf = [&wrap](const QByteArray& piece) { return wrap ? wrap(piece) : piece; };
    for (const QByteArray& s : pool) {
        bool accepted = false;
        const QString what = fault(fileOf(s), &accepted);
        if (!what.isEmpty() || !accepted) {
            std::fprintf(stderr, "a seed file is refused or breaks the rule: %s\n",
                         qPrintable(what.isEmpty() ? QStringLiteral("refused") : what));
            return 1;
        }
    }
    Mutator mutator(seed, tokens);
    long long accepted = 0;
    for (long long n = 0; n < inputs; ++n) {
        const QByteArray piece = mutator.next(pool);
        const QByteArray file = fileOf(piece);
        bool taken = false;
        const QString what = fault(file, &taken);
        if (!what.isEmpty()) {
            std::fprintf(stderr, "input %lld: %s\nbytes: %s\n", n + 1, qPrintable(what), file.toHex(' ').constData());
            return 1;
        }
        if (taken) {
            ++accepted;
            // Files that are still question banks breed further mutations.
            if (pool.size() < 256 && n % 16 == 0)
                pool << piece;
        }
    }
    std::printf("%s: %lld inputs (seed %llu), %lld accepted, %lld refused, every one kept the round trip\n", name,
                inputs, static_cast<unsigned long long>(seed), accepted, inputs - accepted);
    return 0;
}

// One input of a libFuzzer run: a fault found ends the process, as
// libFuzzer expects.
inline int oneInput(const uint8_t* data, size_t size, const Fault& fault)
{
    bool accepted = false;
    const QString what = fault(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)), &accepted);
    if (!what.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(what));
        std::abort();
    }
    return 0;
}

} // namespace fuzz
