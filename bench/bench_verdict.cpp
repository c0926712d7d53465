// Time of one caller-ID verdict with full phone lists and a caller in neither list, through
// the engine and the fake telephony service, next to the plain linear scan that turns every
// public entry into text on every call.
#include "support/EngineHarness.h"
#include "support/ReferenceLists.h"

#include <QCoreApplication>
#include <QRandomGenerator>
#include <chrono>
#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    EngineHarness h;
    h.start({0});

    QRandomGenerator rng(42);
    std::vector<double> numbers;
    numbers.reserve(PhoneLists::kPublicCapacity);
    for (int i = 0; i < PhoneLists::kPublicCapacity; ++i)
        numbers.push_back(double(2000000000LL + qint64(rng.bounded(7000000)) * 1000 + i % 1000));
    h.setPublicList(numbers);
    QList<QPair<QString, QString>> priv;
    for (int i = 0; i < PhoneLists::kPrivateCapacity; ++i)
        priv.append({QStringLiteral("Name %1").arg(i),
                     QStringLiteral("555-%1").arg(i, 6, 10, QLatin1Char('0'))});
    h.setPrivateList(priv);
    if (h.lists->publicCount() != PhoneLists::kPublicCapacity ||
        h.lists->privateCount() != PhoneLists::kPrivateCapacity) {
        std::fprintf(stderr, "lists not loaded: %d %d\n", h.lists->publicCount(),
                     h.lists->privateCount());
        return 1;
    }

    const QByteArray caller("1999999999"); // in neither list
    const uint32_t call = h.line.offerCall(0);
    h.time.runPosted();

    using Clock = std::chrono::steady_clock;
    auto screen = [&] {
        h.line.sendCallerId(call, tapi::LINECALLPARTYID_ADDRESS, caller, {});
        h.time.runPosted();
    };
    for (int i = 0; i < 200; ++i)
        screen();
    h.log.clear();
    h.line.clearOps();

    const int rounds = 5000;
    auto start = Clock::now();
    for (int i = 0; i < rounds; ++i) {
        screen();
        if (h.log.lines.size() > 1000) {
            h.log.clear();
            h.line.clearOps();
        }
    }
    const double verdictUs =
        std::chrono::duration<double, std::micro>(Clock::now() - start).count() / rounds;
    if (h.engine->slot(0).listed || h.line.count(QStringLiteral("lineAnswer")) != 0) {
        std::fprintf(stderr, "caller unexpectedly listed\n");
        return 1;
    }

    const QString number = QString::fromLatin1(caller);
    const int naiveRounds = 20;
    bool listed = false;
    start = Clock::now();
    for (int i = 0; i < naiveRounds; ++i)
        listed = listed || ReferenceIsListed(*h.lists, number);
    const double naiveUs =
        std::chrono::duration<double, std::micro>(Clock::now() - start).count() / naiveRounds;
    if (listed)
        return 1;

    std::printf("verdict_us %.2f us\n", verdictUs);
    std::printf("verdict_naive_us %.1f us\n", naiveUs);
    return 0;
}
