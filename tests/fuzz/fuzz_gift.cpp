// Fuzzing the GIFT reader (rule: tests/fuzz/ExchangeRule.h). Built by
// default as the deterministic mutation loop, `fuzz_gift [inputs [seed]]`;
// with -DNORVENA_LIBFUZZER=ON and clang a libFuzzer target.

#include "data/Gift.h"
#include "platform/Cp1251.h"
#include "tests/fuzz/ExchangeRule.h"

namespace {

QString fault(const QByteArray& file, bool* accepted)
{
    return fuzz::exchangeFault(
        file, accepted, gift::read,
        [](const QList<aiken::Question>& q) { return gift::write(QStringLiteral("Тема"), q); },
        [](const aiken::Question& q) { return gift::writable(q, nullptr); });
}

} // namespace

#ifdef NORVENA_LIBFUZZER

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) { return fuzz::oneInput(data, size, fault); }

#else

int main(int argc, char** argv)
{
    const QString bank = QStringLiteral(
        "// комментарий\n$CATEGORY: $course$/Тема\n\n"
        "::Мцыри::Кто написал «Мцыри»?{~Пушкин#нет =Лермонтов ~%-50%Гоголь ####Лермонтов.}\n\n"
        "Грант {~похоронен =погребён ~жив} в гробнице.\n\n"
        "[html]<p>Тег &lt;b&gt; и <i>курсив</i></p>\\nстрока {\n\t=да\n\t~нет \\= \\{ \\} \\: \\# \\~ \\\\\n}\n\n"
        "[plain]<b> в начале{=%100%да ~%0%нет}\n\n"
        "Верно?{T}\n");
    const QList<QByteArray> seeds{bank.toUtf8(), QByteArray("\xEF\xBB\xBF") + bank.toUtf8(), Cp1251::encode(bank)};
    const QList<QByteArray> tokens{"{",
                                   "}",
                                   "=",
                                   "~",
                                   "#",
                                   "####",
                                   "::",
                                   "\\",
                                   "\\n",
                                   "\\=",
                                   "\\{",
                                   "%50%",
                                   "%100%",
                                   "->",
                                   "[html]",
                                   "[plain]",
                                   "[moodle]",
                                   "$CATEGORY:",
                                   "//",
                                   "\n",
                                   "\n\n",
                                   "<b>",
                                   "&amp;",
                                   "<img>",
                                   "A. ",
                                   "ANSWER: ",
                                   "{T}",
                                   "{#1:2}",
                                   "\xEF\xBB\xBF",
                                   "\xFF\xFE",
                                   QByteArray("\0", 1),
                                   "\xD0"};
    return fuzz::loop("fuzz_gift", argc, argv, seeds, tokens, fault);
}

#endif
